// `varnell-dict publish` as an author runs it: what it writes, and how it refuses.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';
import vm from 'node:vm';

const program = process.env.VARNELL_DICT;
const missing = !program ? 'VARNELL_DICT is not set (CTest sets it)' : false;
const fileNames = ['values.txt', 'keys.txt', 'wordtype.txt', 'phrases.txt', 'cn_phrases.txt'];

// A dictionary folder `name`/texts of the given lines (word, translation, part of speech,
// phrases, phrase translations).
function dictionaryFolder(root, name, lines) {
  const texts = path.join(root, name, 'texts');
  fs.mkdirSync(texts, { recursive: true });
  fileNames.forEach((file, i) => fs.writeFileSync(path.join(texts, file), lines.map((l) => l[i] + '\n').join('')));
  return texts;
}

test('publish writes the loaded records as a script no text can break out of', { skip: missing }, () => {
  const root = fs.mkdtempSync(path.join(os.tmpdir(), 'varnell-publish-'));
  const texts = dictionaryFolder(root, 'mydict', [
    ['  Kalo ', '</script><img src=x onerror=alert(1)>', 'ko.', 'kalo sumi,,x\u2028y', '门口,门\u2029口'],
    ['', '', '', '', ''],
    ['ΣΑΣ', '"引号" \\ 反斜杠', '', 'a,b,c', 'A'],
  ]);
  const out = path.join(root, 'web');
  const done = spawnSync(program, ['publish', '--texts', texts, out], { encoding: 'utf8' });
  assert.equal(done.status, 0, done.stderr);
  const script = fs.readFileSync(path.join(out, 'dictionary-data.js'), 'utf8');
  for (const raw of ['</script', '\u2028', '\u2029']) assert.ok(!script.includes(raw), raw);
  const context = {};
  vm.runInNewContext(script, context);
  const { variants, ...data } = context.varnellDictionaryData;
  assert.equal(JSON.stringify(data), JSON.stringify({
    count: 2,
    format: 3,
    legend: true, // ko.: a dictionary in 禾岚's parts of speech
    name: 'mydict',
    partsOfSpeech: 'ko.\n',
    phraseCounts: [2, 1],
    phraseTranslations: '门口\n门\u2029口\nA',
    phrases: 'kalo sumi\nx\u2028y\na',
    skipped: [1, 1], // the second record comes after a line without an entry
    title: 'mydict', // the folder's name: only the shipped dictionary's identity names a title
    translations: '</script><img src=x onerror=alert(1)>\n"引号" \\ 反斜杠',
    wordKeys: [0, 'kalo', 1, 'σασ'],
    words: 'Kalo\nΣΑΣ',
  }));
  // The traditional-to-simplified tables hold what can matter for these translations only: 門 and
  // 號, whose simplified forms they hold, not 飛; a value they could never match is null.
  const characters = new Set([...'</script><img src=x onerror=alert(1)>门口门\u2029口"引号" \\ 反斜杠A']);
  const conversion = Object.assign({}, ...variants.conversion.slice().reverse());
  assert.equal(conversion['門'], '门');
  assert.equal(conversion['號'], '号');
  assert.equal(conversion['飛'], undefined);
  for (const value of Object.values(conversion)) assert.ok(value === null || [...value].every((c) => characters.has(c)), value);
  fs.rmSync(root, { recursive: true, force: true });
});

test('publish refuses what it cannot do, with the usual statuses', { skip: missing }, () => {
  const root = fs.mkdtempSync(path.join(os.tmpdir(), 'varnell-publish-'));
  const texts = dictionaryFolder(root, 'ok', [['kalo', '门', '', '', '']]);
  const blocked = path.join(root, 'a-file');
  fs.writeFileSync(blocked, '');
  // A folder where the page's file would go: found only when the files are replaced.
  const occupied = path.join(root, 'occupied');
  fs.mkdirSync(path.join(occupied, 'index.html'), { recursive: true });
  const rows = [
    [['publish'], 2, /OUTDIR/],
    [['publish', '--texts', texts, 'one', 'two'], 2, /OUTDIR/],
    [['publish', '--texts', path.join(root, 'none'), path.join(root, 'out')], 2, /does not exist/],
    [['publish', '--texts', texts, path.join(blocked, 'out')], 2, /a-file/],
    [['publish', '--texts', texts, occupied], 2, /index\.html: not a regular file/],
    [['publish', '--help'], 0, /OUTDIR/],
  ];
  for (const [args, status, message] of rows) {
    const done = spawnSync(program, args, { encoding: 'utf8', env: { ...process.env, LANGUAGE: 'en', LC_ALL: 'C' } });
    assert.equal(done.status, status, args.join(' '));
    assert.match(done.stdout + done.stderr, message, args.join(' '));
  }
  fs.rmSync(root, { recursive: true, force: true });
});
