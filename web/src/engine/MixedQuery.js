// Several blank-separated words searched one by one and averaged, as dictionary/MixedQuery.cpp.
import { smartSearch } from './SmartSearch.js';

export function handleMixedQuery(dictionary, query, results, addedEntries) {
  const words = query.split(' ').filter((word) => word !== '');
  if (words.length < 2) return;
  const entryScores = new Map();
  for (const word of words) {
    for (const result of smartSearch(dictionary, word, 20)) {
      entryScores.set(result.entry, (entryScores.get(result.entry) ?? 0.0) + result.score);
    }
  }
  for (const [entry, sum] of entryScores) {
    if (addedEntries.has(entry)) continue;
    addedEntries.add(entry);
    results.push({ entry, matchType: 'mixed_query', score: sum / words.length, highlightInfo: '混合查询匹配' });
  }
}
