// The search engine of the web edition: the dictionary's searches in JavaScript, giving the
// answers of the C++ engine (a differential test keeps the two equal).
import * as chinese from './ChineseSearch.js';
import { buildDictionary } from './DictionaryLoading.js';
import * as lookups from './DictionaryLookups.js';
import { fuzzyTablePreparations, fuzzyWordSearch } from './FuzzySearch.js';
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

  // The tables the searches otherwise build on first use (a few hundred milliseconds at
  // 100,000 entries), as steps to run beforehand, a few at a time while the page is idle. They
  // change no answer, only how soon the first search of each kind gives it.
  searchPreparations() {
    return [() => phrases.preparePhraseTables(this.containers), ...fuzzyTablePreparations(this.containers),
      () => this.searchEachKindOnce()];
  }

  // The script engine compiles a function well only once it has run: one search of each kind
  // (a word, a misspelt one, Chinese, a long text of several words) spares the reader's first
  // ones the slow start.
  searchEachKindOnce() {
    const sample = this.containers.records.slice(0, 64);
    const words = sample.map((entry) => entry.word).filter((word) => word !== '');
    const text = sample.flatMap((entry) => [entry.word, ...entry.phrases]).join(' ').slice(0, 400);
    for (const query of [words[0] ?? '', `${words[0] ?? ''}x`, 'x', sample[0]?.translation ?? '', text, `x${text}`]) {
      this.smartSearch(query, 10);
      this.fuzzyWordSearch(query, 10, 50);
    }
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
