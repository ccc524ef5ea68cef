// Qt's string rules as the engine repeats them; the expected values are what Qt 6 gives.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { arg, toInt, toLower, trimmed } from '../../src/engine/QtText.js';

test('lower-casing maps each character alone, as QString::toLower', () => {
  const rows = [
    ['ΣΑΣ', 'σασ'], // no final sigma
    ['İ', 'i\u0307'],
    ['ẞ', 'ß'],
    ['\u2126', 'ω'],
    ['\u212a', 'k'],
    ['𐐀', '𐐨'],
    ['ᾈ', 'ᾀ'],
    ['ǅ', 'ǆ'],
    ['KALO Sumi', 'kalo sumi'],
    ['\ud800X', '\ud800x'],
  ];
  for (const [text, lowered] of rows) assert.equal(toLower(text), lowered, text);
});

test('trimming removes what QChar::isSpace calls space, and only that', () => {
  const rows = [
    ['\u3000kalo\u3000', 'kalo'],
    ['\u00a0\u0085\u2028kalo\t\n\v\f\r ', 'kalo'],
    ['\u1680\u2000\u200a\u202f\u205fkalo', 'kalo'],
    ['\ufeffkalo\u200b', '\ufeffkalo\u200b'],
    ['\u001ckalo', '\u001ckalo'],
    ['  ', ''],
  ];
  for (const [text, result] of rows) assert.equal(trimmed(text), result, JSON.stringify(text));
});

test('entry numbers convert as QString::toInt in base 10', () => {
  const rows = [
    [' 12 ', 12],
    ['+5', 5],
    ['-0', 0],
    ['007', 7],
    ['\t7\n', 7],
    ['\ufeff5', 5],
    ['\ufeff-5', -5],
    ['\ufeff 5', 5],
    ['2147483647', 2147483647],
    ['-2147483648', -2147483648],
    ['2147483648', null],
    ['1,000', null],
    ['１２', null],
    ['\u22123', null],
    ['12\u3000', null],
    ['\u00a05', null],
    ['5\ufeff', null],
    [' \ufeff5', null],
    ['\u001c5', null],
    ['- 5', null],
    ['5.0', null],
    ['', null],
  ];
  for (const [text, number] of rows) assert.equal(toInt(text), number, JSON.stringify(text));
});

test('placeholders are filled in one pass', () => {
  assert.equal(arg('%1 and %2', '%2', 'x'), '%2 and x');
  assert.equal(arg('词组包含: %1', '$& $1'), '词组包含: $& $1');
});
