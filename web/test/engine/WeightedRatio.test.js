// The scorer against the reference scores the C++ scorer is held to, and its bound against the
// score it bounds.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { fileURLToPath } from 'node:url';

import { WeightedRatioScorer, byteKinds, utf8Bytes, weightedRatio } from '../../src/similarity/WeightedRatio.js';

const here = path.dirname(fileURLToPath(import.meta.url));
const cases = fs
  .readFileSync(path.join(here, '../../../tests/data/wratio-cases.jsonl'), 'utf8')
  .split('\n')
  .filter((line) => line !== '')
  .map((line) => JSON.parse(line));

test('every reference case scores exactly as the reference', () => {
  const wrong = cases.filter((c) => weightedRatio(utf8Bytes(c.s1), utf8Bytes(c.s2)) !== c.score);
  assert.deepEqual(wrong.slice(0, 5), []);
});

test('a prepared query scores as the plain call and is never bounded below its score', () => {
  const wrong = [];
  for (const c of cases) {
    const scorer = new WeightedRatioScorer(utf8Bytes(c.s1));
    const score = scorer.score(utf8Bytes(c.s2));
    const bound = scorer.bound(utf8Bytes(c.s2));
    if (score !== c.score || bound < score || (scorer.boundIsExact && bound !== score)) wrong.push(c);
  }
  assert.deepEqual(wrong.slice(0, 5), []);
});

function kindsMeet(a, b) {
  const [aLow, aHigh] = byteKinds(utf8Bytes(a));
  const [bLow, bHigh] = byteKinds(utf8Bytes(b));
  return ((aLow & bLow) | (aHigh & bHigh)) !== 0;
}

// The fuzzy search settles a word whose kinds do not meet the query's at 0 without scoring it.
test('kinds of byte meet wherever two texts can score above 0, and tell letters apart', () => {
  const rows = [
    ['q', 'abako', false],
    ['q', 'ĉiuj', false],
    ['12', '3', false],
    ['', 'a', false],
    ['q', 'quasar', true],
    ['ĉ', 'ĝ', true], // one lead byte
    ['a b', 'c\td', true], // white space is one kind
  ];
  assert.deepEqual(rows.map(([a, b]) => kindsMeet(a, b)), rows.map((row) => row[2]));
  assert.deepEqual(cases.filter((c) => c.score > 0 && !kindsMeet(c.s1, c.s2)).slice(0, 5), []);
});

test('lone surrogates count as U+FFFD, as in the C++ conversion', () => {
  assert.equal(utf8Bytes('a\ud800'), 'a\xef\xbf\xbd');
  assert.equal(weightedRatio(utf8Bytes('\udc00'), utf8Bytes('\ufffd')), 100);
});
