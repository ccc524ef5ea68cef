// The smart search, stage by stage as dictionary/SmartSearch.cpp.
import { isMainlyChinese, searchChineseDynamic } from './ChineseSearch.js';
import { lookupByNumIndex } from './DictionaryLookups.js';
import { fuzzyWordSearch } from './FuzzySearch.js';
import { findExactPhrase, findPhrasesContainingWord, findPhraseTranslation } from './PhraseSearch.js';
import { arg, toInt, toLower, trimmed } from './QtText.js';
import { compareResults, keepFirstResultPerEntry } from './SearchRanking.js';

// The results of one search, each entry at most once: the first stage to find an entry keeps it.
class ResultCollector {
  constructor() {
    this.results = [];
    this.addedEntries = new Set();
  }

  add(result) {
    if (this.addedEntries.has(result.entry)) return false;
    this.addedEntries.add(result.entry);
    this.results.push(result);
    return true;
  }

  addAll(results) {
    for (const result of results) this.add(result);
  }

  contains(entry) {
    return this.addedEntries.has(entry);
  }

  isEmpty() {
    return this.results.length === 0;
  }
}

function searchByEntryNumber(dictionary, number) {
  const entry = lookupByNumIndex(dictionary, number);
  if (!entry) return [];
  return [{ entry, matchType: 'index_match', score: 100.0, highlightInfo: arg('索引 %1 匹配', String(number)) }];
}

function addExactWord(dictionary, trimmedQuery, collector) {
  const entry = dictionary.wordIndex.get(toLower(trimmedQuery));
  if (entry) collector.add({ entry, matchType: 'word_exact', score: 100.0, highlightInfo: '单词完全匹配' });
}

function addWholePhrase(dictionary, trimmedQuery, isChinese, collector) {
  const phrases = findExactPhrase(dictionary, trimmedQuery);
  collector.addAll(phrases);
  if (isChinese && phrases.length === 0) collector.addAll(findPhraseTranslation(dictionary, trimmedQuery));
}

// Stage 5: each similar word whose entry is new, followed by the phrases of that word.
function addSimilarWords(dictionary, trimmedQuery, maxResults, collector) {
  for (const [word, score] of fuzzyWordSearch(dictionary, trimmedQuery, maxResults, 50.0)) {
    const entry = dictionary.wordIndex.get(toLower(word));
    if (!entry || collector.contains(entry)) continue;
    collector.add({ entry, matchType: 'word_fuzzy', score, highlightInfo: arg('模糊匹配: %1', word) });
    collector.addAll(findPhrasesContainingWord(dictionary, word));
  }
}

function rankAndCut(collected, maxResults) {
  return keepFirstResultPerEntry(collected).sort(compareResults).slice(0, maxResults);
}

export function smartSearch(dictionary, query, maxResults) {
  if (maxResults < 0 || query === '') return [];
  const number = toInt(query);
  if (number !== null && number > 0) return searchByEntryNumber(dictionary, number);

  const trimmedQuery = trimmed(query);
  const isChinese = isMainlyChinese(trimmedQuery);
  const collector = new ResultCollector();
  addExactWord(dictionary, trimmedQuery, collector);
  collector.addAll(findPhrasesContainingWord(dictionary, trimmedQuery));
  if (isChinese || collector.isEmpty()) collector.addAll(searchChineseDynamic(dictionary, trimmedQuery));
  if (trimmedQuery.includes(' ')) addWholePhrase(dictionary, trimmedQuery, isChinese, collector);
  // Chinese text is never matched by spelling.
  if (collector.isEmpty() && !isChinese) addSimilarWords(dictionary, trimmedQuery, maxResults, collector);
  return rankAndCut(collector.results, maxResults);
}
