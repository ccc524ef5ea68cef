// The search engine of the web edition: the dictionary's searches in JavaScript, giving the
// answers of the C++ engine (a differential test keeps the two equal).
import * as chinese from './ChineseSearch.js';
import { buildDictionary } from './DictionaryLoading.js';
import * as lookups from './DictionaryLookups.js';
import { fuzzyWordSearch } from './FuzzySearch.js';
import { handleMixedQuery } from './MixedQuery.js';
import * as phrases from './PhraseSearch.js';
import { smartSearch } from './SmartSearch.js';

export { composeResultCard, searchedQuery } from './ResultCard.js';

class ConlangDictionary {
  constructor(data) {
    this.containers = buildDictionary(data);
  }

  get name() {
    return this.containers.name;
  }

  smartSearch(query, maxResults) {
    return smartSearch(this.containers, query, maxResults);
  }

  // A list of [word key, score] pairs, best first.
  fuzzyWordSearch(query, maxResults, threshold) {
    return fuzzyWordSearch(this.containers, query, maxResults, threshold);
  }

  findPhrasesContainingWord(word) {
    return phrases.findPhrasesContainingWord(this.containers, word);
  }

  findExactPhrase(phrase) {
    return phrases.findExactPhrase(this.containers, phrase);
  }

  findPhraseTranslation(text) {
    return phrases.findPhraseTranslation(this.containers, text);
  }

  searchChineseDynamic(query) {
    return chinese.searchChineseDynamic(this.containers, query);
  }

  isMainlyChinese(text) {
    return chinese.isMainlyChinese(text);
  }

  handleMixedQuery(query, results, addedEntries) {
    handleMixedQuery(this.containers, query, results, addedEntries);
  }

  lookupByNumIndex(number) {
    return lookups.lookupByNumIndex(this.containers, number);
  }

  lookupByWord(word) {
    return lookups.lookupByWord(this.containers, word);
  }

  lookupByExactChinese(translation) {
    return lookups.lookupByExactChinese(this.containers, translation);
  }

  lookupByPartOfSpeech(tag) {
    return lookups.lookupByPartOfSpeech(this.containers, tag);
  }

  getAllIndices() {
    return lookups.getAllIndices(this.containers);
  }

  createExSentence(word, translation, partOfSpeech) {
    return lookups.createExSentence(word, translation, partOfSpeech);
  }

  // Every loaded record, in line order (the browsable list, the printed dictionary).
  recordsInFileOrder() {
    return this.containers.records;
  }
}

// `data` is what dictionary-data.js assigns to globalThis.varnellDictionaryData.
export function loadDictionary(data) {
  return new ConlangDictionary(data);
}
