// The search engine of the web edition: the dictionary's searches in JavaScript, giving the
// answers of the C++ engine (a differential test keeps the two equal).
import * as chinese from './ChineseSearch.js';
import { buildDictionary } from './DictionaryLoading.js';
import * as lookups from './DictionaryLookups.js';
import { fuzzyTablePreparations, fuzzyWordSearch } from './FuzzySearch.js';
import { handleMixedQuery } from './MixedQuery.js';
import * as phrases from './PhraseSearch.js';
import { smartSearch } from './SmartSearch.js';
import { prepareSpellingTables, spellingSuggestions } from './SpellingSuggestions.js';
import { prepareVariantTables, toSimplified } from '../chinesevariants/ChineseVariants.js';
import { WeightedRatioScorer, partialRatio, utf8Bytes } from '../similarity/WeightedRatio.js';
import { trimmed } from './QtText.js';

export { composeResultCard, searchedQuery } from './ResultCard.js';

class ConlangDictionary {
  constructor(data) {
    this.containers = buildDictionary(data);
    // The traditional-to-simplified tables publish wrote (none: no conversion), made ready on
    // first use.
    this.publishedVariants = data.variants ?? null;
    this.variantTables = null;
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

  // What a query not found as typed may have meant, best first, at most maxResults (10 where
  // `varnell-dict lookup` prints them): a list of { entry, kind, distance, phrase }, where entry
  // is the dictionary's entry (number, word, translation, partOfSpeech, phrases,
  // phraseTranslations) and kind is one of
  //   'spelling'                    the entry's word is `distance` edits from the query
  //   'translation'                 the query in simplified characters is the entry's translation
  //   'phrase_translation'          the query (or that form) is the translation of phrases[phrase]
  //   'translation_partial'         the entry's translation holds the simplified form
  //   'phrase_translation_partial'  the translation of phrases[phrase] holds the query (or that form)
  // distance is 0 and phrase -1 where they say nothing. Empty for a word of the dictionary, an
  // entry number or a whole translation: the card answers those. Pass the query as the search
  // gets it (searchedQuery of the typed text); the answer is `varnell-dict lookup --json`'s
  // "suggestions".
  spellingSuggestions(query, maxResults = 10) {
    return spellingSuggestions(this.containers, query, maxResults, this.toSimplified(trimmed(query)));
  }

  // The text in simplified characters as publish's tables convert it; null when nothing of the
  // dictionary could match the converted text, or when the dictionary was published without them.
  toSimplified(text) {
    if (!this.publishedVariants) return null;
    if (!this.variantTables) this.variantTables = prepareVariantTables(this.publishedVariants);
    return toSimplified(this.variantTables, text);
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
      () => prepareSpellingTables(this.containers), () => this.searchEachKindOnce()];
  }

  // The script engine compiles a function well only once it has run, and drops the compiled
  // code when a path it never took comes up: one search of each kind (a word, a misspelt one,
  // Chinese, long texts of several words, texts longer than one 32-bit block of the LCS)
  // spares the reader's first ones the slow start.
  searchEachKindOnce() {
    const sample = this.containers.records.slice(0, 64);
    const word = sample.find((entry) => entry.word !== '')?.word ?? 'a';
    const text = sample.flatMap((entry) => [entry.word, ...entry.phrases]).join(' ').slice(0, 400);
    const queries = [word, `${word}x`, 'x', sample[0]?.translation ?? '', text, `x${text}`];
    for (const query of queries) {
      this.smartSearch(query, 10);
      this.fuzzyWordSearch(query, 10, 50);
      this.spellingSuggestions(query, 10);
    }
    // Overlapping pieces: neither holds the other whole, so every window is looked at.
    const head = text.slice(0, 48);
    const tail = text.slice(24);
    for (const [query, candidate] of [[head, tail], [tail, head], [head, `${head.slice(2)}x`]])
      new WeightedRatioScorer(utf8Bytes(query)).score(utf8Bytes(candidate));
    partialRatio(utf8Bytes(head), utf8Bytes(tail));
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
