// The dictionary's containers, built from the records `varnell-dict publish` wrote: the loaded
// lines exactly as the loader read them, so no loading rule is repeated here.
import { toLower } from './QtText.js';

// A record's element 0 counts the lines skipped since the previous record (format 2).
function entryOf(record, number) {
  return {
    number,
    word: record[1],
    translation: record[2],
    partOfSpeech: record[3],
    phrases: record[4],
    phraseTranslations: record[5],
  };
}

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

// The containers of the C++ dictionary, with the orders its tie rule fixes: Maps keep their keys
// in order of first appearance in the files.
export function buildDictionary(data) {
  const numberIndex = new Map(); // entry number -> entry (the copy the number path returns)
  const wordIndex = new Map(); // word key -> entry of the key's last line (a copy of its own)
  const chineseIndex = new Map(); // whole translation -> word keys, in line order
  const posIndex = new Map(); // tag -> word keys
  const letterIndex = new Map(); // first UTF-16 unit of the word key -> word keys
  const firstLineOfWord = new Map(); // word key -> its first line: words in file order
  const records = [];
  let number = 0;
  for (const record of data.records) {
    number += record[0] + 1;
    const entry = entryOf(record, number);
    const wordKey = record.length > 6 ? record[6] : entry.word;
    records.push(entry);
    numberIndex.set(entry.number, entry);
    wordIndex.set(wordKey, entryOf(record, number));
    if (!firstLineOfWord.has(wordKey)) firstLineOfWord.set(wordKey, entry.number);
    if (wordKey !== '') appendTo(letterIndex, wordKey[0], wordKey);
    if (entry.translation !== '') appendTo(chineseIndex, entry.translation, wordKey);
    if (entry.partOfSpeech !== '') {
      for (const tag of partOfSpeechTagKeys(entry.partOfSpeech)) appendTo(posIndex, tag, wordKey);
    }
  }
  return {
    name: data.name,
    records,
    numberIndex,
    wordIndex,
    chineseIndex,
    posIndex,
    letterIndex,
    firstLineOfWord,
    // Built on first use by the searches that sweep them (PhraseSearch.js, FuzzySearch.js,
    // SpellingSuggestions.js).
    phraseTables: null,
    fuzzyTables: null,
    spellingTables: null,
  };
}
