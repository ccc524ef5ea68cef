// The Chinese translation search and the mainly-Chinese rule, as dictionary/ChineseSearch.cpp.
import { arg, toLower, trimmed } from './QtText.js';

function isChineseUnit(unit) {
  return (unit >= 0x4e00 && unit <= 0x9fff) || (unit >= 0x3400 && unit <= 0x4dbf);
}

// Per cent of the text's UTF-16 units that are Chinese, rounded down.
function chineseShare(text) {
  let chinese = 0;
  for (let i = 0; i < text.length; i++) {
    if (isChineseUnit(text.charCodeAt(i))) chinese++;
  }
  return Math.floor((100 * chinese) / text.length);
}

export function isMainlyChinese(text) {
  return text.length > 0 && chineseShare(text) > 40;
}

function partialScore(translation, query) {
  const base = translation.startsWith(query) ? 90.0 : 80.0;
  const length = query.length;
  return length <= 2 ? base : Math.min(base + (5 * length - 10), 95.0);
}

function byScoreThenLine(a, b) {
  if (a.score !== b.score) return a.score > b.score ? -1 : 1;
  return a.entry.number - b.entry.number;
}

export function searchChineseDynamic(dictionary, query) {
  const q = trimmed(query);
  if (q === '') return [];
  const results = [];
  for (const wordKey of dictionary.chineseIndex.get(q) ?? []) {
    const entry = dictionary.wordIndex.get(toLower(wordKey));
    if (entry) results.push({ entry, matchType: 'translation_exact', score: 100.0, highlightInfo: arg('翻译完全匹配: %1', q) });
  }
  if (results.length === 0 && chineseShare(q) > 40) {
    const returned = new Set();
    const highlightInfo = arg('翻译包含: %1', q);
    // Translations in order of their first line: an entry reached through two of them takes
    // the score of the first.
    for (const [translation, wordKeys] of dictionary.chineseIndex) {
      if (!translation.includes(q)) continue;
      const score = partialScore(translation, q);
      for (const wordKey of wordKeys) {
        const entry = dictionary.wordIndex.get(toLower(wordKey));
        if (!entry || returned.has(entry)) continue;
        returned.add(entry);
        results.push({ entry, matchType: 'translation_partial', score, highlightInfo });
      }
    }
  }
  return results.sort(byScoreThenLine);
}
