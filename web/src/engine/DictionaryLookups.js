// Direct lookups and example sentences, as dictionary/DictionaryLookups.cpp.
import { arg, toLower, trimmed } from './QtText.js';

export function lookupByNumIndex(dictionary, number) {
  return dictionary.numberIndex.get(number) ?? null;
}

export function lookupByWord(dictionary, word) {
  return dictionary.wordIndex.get(toLower(word)) ?? null;
}

export function getAllIndices(dictionary) {
  return [...dictionary.numberIndex.keys()];
}

function entriesOf(dictionary, wordKeys) {
  const entries = [];
  for (const wordKey of wordKeys) {
    const entry = dictionary.wordIndex.get(toLower(wordKey));
    if (entry) entries.push(entry);
  }
  return entries;
}

export function lookupByExactChinese(dictionary, translation) {
  return entriesOf(dictionary, dictionary.chineseIndex.get(translation) ?? []);
}

export function lookupByPartOfSpeech(dictionary, tag) {
  return entriesOf(dictionary, dictionary.posIndex.get(toLower(trimmed(tag))) ?? []);
}

const exampleTemplates = new Map([
  ['ko.', 'Ber ini na %1?\n  例句中文意义：你有%2吗？'],
  ['kiu.', 'Ber orvan ber %1?\n  例句中文意义：奥凡是不是%2的？'],
  ['ka.', 'Ber %1 rado?\n  例句中文意义：%2安全吗？'],
]);

export function createExSentence(word, translation, partOfSpeech) {
  const template = exampleTemplates.get(partOfSpeech);
  return template === undefined ? '\n  例句中文意义：' : arg(template, word, translation);
}
