// A sample of the queries readers type, drawn from a dictionary's own files: its words (as
// stored, upper-cased, misspelt), translations and fragments of them, phrases, entry numbers
// with and without blanks, blanks only and a pasted text. The same sample on every run.
import { readFileSync } from 'node:fs';
import { join } from 'node:path';

function lines(folder, name) {
  return readFileSync(join(folder, name), 'utf8').split('\n').map((line) => line.trim()).filter(Boolean);
}

function pieces(folder, name, separator) {
  return lines(folder, name).flatMap((line) => line.split(separator)).map((piece) => piece.trim()).filter(Boolean);
}

// A small fixed pseudo-random sequence, so that the sample never changes.
function* sequence(seed) {
  let state = seed;
  for (;;) {
    state = (state * 1103515245 + 12345) % 2147483648;
    yield state;
  }
}

function misspelt(word, random) {
  const letters = [...word];
  const at = random.next().value % letters.length;
  switch (random.next().value % 3) {
  case 0: letters.splice(at, 1); break;
  case 1: letters.splice(at, 0, 'ae'[random.next().value % 2]); break;
  default: letters[at] = 'o';
  }
  return letters.join('');
}

export function sampleQueries(folder, count) {
  const random = sequence(20);
  const words = lines(folder, 'values.txt');
  const translations = lines(folder, 'keys.txt');
  const phrases = pieces(folder, 'phrases.txt', ',');
  const phraseTranslations = pieces(folder, 'cn_phrases.txt', ',');
  const groups = [
    words,
    translations,
    phrases,
    words.map((word) => misspelt(word, random)),
    phraseTranslations,
    words.map((word) => word.toUpperCase()),
    translations.map((translation) => [...translation].slice(0, 1).join('')),
    ['0', '-3', '1', ' 12 ', '\t7', '99999', '2147483648', '', '   ', 'x', '%2', '<b>x</b>'],
    [words.slice(0, 40).join(' ').slice(0, 300), `${words[0]} ${translations[0]}`],
  ];
  const sample = [];
  for (let round = 0; sample.length < count && groups.some((group) => round < group.length); ++round) {
    for (const group of groups) {
      if (round < group.length && sample.length < count)
        sample.push(group[round]);
    }
  }
  return sample;
}
