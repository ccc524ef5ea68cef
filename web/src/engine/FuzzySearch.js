// The fuzzy word search, as dictionary/FuzzySearch.cpp: the words sharing the query's first
// letter (or, when none does, every word in order of its first line) scored by the weighted
// ratio on UTF-8 bytes; the best `maxResults` at or above the threshold, best first, equal scores
// by the word's first line, a repeated word's pairs together.
import { WeightedRatioScorer, lengthCap, utf8Bytes } from '../similarity/WeightedRatio.js';
import { toLower } from './QtText.js';

function buildFuzzyTables(dictionary) {
  const bytesOf = new Map();
  for (const wordKey of dictionary.firstLineOfWord.keys()) bytesOf.set(wordKey, utf8Bytes(wordKey));
  return { bytesOf, allWords: [...dictionary.firstLineOfWord.keys()] };
}

function fuzzyTables(dictionary) {
  if (!dictionary.fuzzyTables) dictionary.fuzzyTables = buildFuzzyTables(dictionary);
  return dictionary.fuzzyTables;
}

// Negative when candidate a ranks before b.
function compareCandidates(a, b) {
  if (a.score !== b.score) return a.score > b.score ? -1 : 1;
  if (a.firstLine !== b.firstLine) return a.firstLine - b.firstLine;
  return a.position - b.position;
}

// The best `limit` candidates offered, kept in rank order.
class BestCandidates {
  constructor(limit) {
    this.limit = limit;
    this.kept = [];
  }

  isFull() {
    return this.kept.length >= this.limit;
  }

  lowestScore() {
    return this.kept[this.kept.length - 1].score;
  }

  // Whether a candidate scoring at most `bound` could still enter.
  admits(bound, firstLine, position) {
    if (this.kept.length < this.limit) return true;
    return compareCandidates({ score: bound, firstLine, position }, this.kept[this.kept.length - 1]) < 0;
  }

  offer(candidate) {
    if (!this.admits(candidate.score, candidate.firstLine, candidate.position)) return;
    let at = this.kept.length;
    while (at > 0 && compareCandidates(candidate, this.kept[at - 1]) < 0) at--;
    this.kept.splice(at, 0, candidate);
    if (this.kept.length > this.limit) this.kept.pop();
  }
}

export function fuzzyWordSearch(dictionary, query, maxResults, threshold) {
  if (query === '' || !(maxResults > 0)) return [];
  const q = toLower(query);
  const tables = fuzzyTables(dictionary);
  const candidates = dictionary.letterIndex.get(q[0]) ?? tables.allWords;
  const scorer = new WeightedRatioScorer(utf8Bytes(q));
  const queryLength = scorer.query.length;
  // A first pass bounds every score cheaply; the candidates are then scored highest bound first,
  // a point of score at a time, while their bound could still make the list.
  const bands = Array.from({ length: 102 }, () => []);
  for (let position = 0; position < candidates.length; position++) {
    const bytes = tables.bytesOf.get(candidates[position]);
    if (!(lengthCap(queryLength, bytes.length) >= threshold)) continue;
    const bound = scorer.bound(bytes);
    if (bound >= threshold) bands[Math.min(Math.max(Math.floor(bound), 0), 101)].push(position, bound);
  }
  const best = new BestCandidates(maxResults);
  for (let band = 101; band >= 0; band--) {
    if (best.isFull() && band + 1 < best.lowestScore()) break;
    const waiting = bands[band];
    for (let i = 0; i < waiting.length; i += 2) {
      const position = waiting[i];
      const word = candidates[position];
      const firstLine = dictionary.firstLineOfWord.get(word);
      if (!best.admits(waiting[i + 1], firstLine, position)) continue;
      const score = scorer.score(tables.bytesOf.get(word));
      if (score >= threshold) best.offer({ score, firstLine, position });
    }
  }
  return best.kept.map((found) => [candidates[found.position], found.score]);
}
