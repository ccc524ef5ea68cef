// The dictionary's containers, built from the records `varnell-dict publish` wrote: the loaded
// lines exactly as the loader read them, so no loading rule is repeated here.
import { toLower } from './QtText.js';

function appendTo(map, key, value) {
  const list = map.get(key);
  if (list) list.push(value);
  else map.set(key, [value]);
}

function partOfSpeechTagKeys(partOfSpeech) {
  return partOfSpeech
    .split(';')
    .map((tag) => toLower(tag.trim()))
    .filter((tag) => tag !== '');
}

// The `count` lines of a column (format 3: a text of lines, no field holds a line feed).
function linesOf(text, count) {
  return count === 0 ? [] : text.split('\n');
}

// The values of a sparse column ([index, value, ...]) by index.
function sparse(pairs) {
  const values = new Map();
  for (let i = 0; i < pairs.length; i += 2) values.set(pairs[i], pairs[i + 1]);
  return values;
}

// The records of format 3 as entries in line order, each with a copy for wordIndex, and the word
// key of each.
function readRecords(data) {
  const { count } = data;
  const words = linesOf(data.words, count);
  const translations = linesOf(data.translations, count);
  const partsOfSpeech = linesOf(data.partsOfSpeech, count);
  const phraseCounts = data.phraseCounts;
  const phraseTotal = phraseCounts.reduce((sum, phrases) => sum + phrases, 0);
  const phrases = linesOf(data.phrases, phraseTotal);
  const phraseTranslations = linesOf(data.phraseTranslations, phraseTotal);
  const skipped = sparse(data.skipped);
  const changedKeys = sparse(data.wordKeys);
  const entries = new Array(count);
  const copies = new Array(count);
  const keys = new Array(count);
  let number = 0;
  let phrase = 0;
  for (let i = 0; i < count; i++) {
    number += (skipped.get(i) ?? 0) + 1;
    const end = phrase + phraseCounts[i];
    const fields = [number, words[i], translations[i], partsOfSpeech[i], phrases.slice(phrase, end),
      phraseTranslations.slice(phrase, end)];
    entries[i] = entryOf(...fields);
    copies[i] = entryOf(...fields);
    keys[i] = changedKeys.get(i) ?? words[i];
    phrase = end;
  }
  return { entries, copies, keys };
}

function entryOf(number, word, translation, partOfSpeech, phrases, phraseTranslations) {
  return { number, word, translation, partOfSpeech, phrases, phraseTranslations };
}

// Puts on `object` a property `name` whose value `build()` makes when it is first read: the
// containers and tables only some searches read are built when one first does, so that the page
// answers its first query sooner.
export function builtOnFirstUse(object, name, build) {
  Object.defineProperty(object, name, {
    configurable: true,
    enumerable: true,
    get() {
      const value = build();
      Object.defineProperty(object, name, { value, enumerable: true });
      return value;
    },
  });
}

// The containers of the C++ dictionary, with the orders its tie rule fixes: Maps keep their keys
// in order of first appearance in the files.
export function buildDictionary(data) {
  const { entries: records, copies, keys } = readRecords(data);
  const numberIndex = new Map(); // entry number -> entry (the copy the number path returns)
  const wordIndex = new Map(); // word key -> entry of the key's last line (a copy of its own)
  for (let i = 0; i < records.length; i++) {
    numberIndex.set(records[i].number, records[i]);
    wordIndex.set(keys[i], copies[i]);
  }
  // Each of the others lists word keys in line order.
  const byLine = (visit) => () => {
    const map = new Map();
    for (let i = 0; i < records.length; i++) visit(map, keys[i], records[i]);
    return map;
  };
  const dictionary = {
    name: data.name,
    records,
    numberIndex,
    wordIndex,
    // Built on first use by the searches that sweep them (PhraseSearch.js, FuzzySearch.js,
    // SpellingSuggestions.js).
    phraseTables: null,
    fuzzyTables: null,
    spellingTables: null,
  };
  // whole translation -> word keys
  builtOnFirstUse(dictionary, 'chineseIndex', byLine((map, key, entry) => {
    if (entry.translation !== '') appendTo(map, entry.translation, key);
  }));
  // tag -> word keys
  builtOnFirstUse(dictionary, 'posIndex', byLine((map, key, entry) => {
    if (entry.partOfSpeech !== '') {
      for (const tag of partOfSpeechTagKeys(entry.partOfSpeech)) appendTo(map, tag, key);
    }
  }));
  // first UTF-16 unit of the word key -> word keys
  builtOnFirstUse(dictionary, 'letterIndex', byLine((map, key) => {
    if (key !== '') appendTo(map, key[0], key);
  }));
  // word key -> its first line: words in file order
  builtOnFirstUse(dictionary, 'firstLineOfWord', byLine((map, key, entry) => {
    if (!map.has(key)) map.set(key, entry.number);
  }));
  return dictionary;
}
