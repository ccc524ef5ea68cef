// The fuzzy word search, as dictionary/FuzzySearch.cpp: the words sharing the query's first
// letter (or, when none does, every word in order of its first line) scored by the weighted
// ratio on UTF-8 bytes; the best `maxResults` at or above the threshold, best first, equal scores
// by the word's first line, a repeated word's pairs together.
import { WeightedRatioScorer, byteKinds, lengthCap, utf8Bytes } from '../similarity/WeightedRatio.js';
import { builtOnFirstUse } from './DictionaryLoading.js';
import { toLower } from './QtText.js';

// A candidate list as the scoring loop reads it: the words, their UTF-8 bytes, kinds of byte
// and first lines.
function candidateTable(dictionary, bytesOf, words) {
  const bytes = words.map(bytesOf);
  const kinds = bytes.map(byteKinds);
  return {
    words,
    bytes,
    kindsLow: Int32Array.from(kinds, (pair) => pair[0]),
    kindsHigh: Int32Array.from(kinds, (pair) => pair[1]),
    firstLines: Int32Array.from(words, (word) => dictionary.firstLineOfWord.get(word)),
  };
}

// Each word's bytes are made once, when a table first holds the word; the whole vocabulary's
// table when a query's first letter starts no word, each letter's when one first does.
function buildFuzzyTables(dictionary) {
  const bytes = new Map();
  const bytesOf = (wordKey) => {
    let wordBytes = bytes.get(wordKey);
    if (!wordBytes) {
      wordBytes = utf8Bytes(wordKey);
      bytes.set(wordKey, wordBytes);
    }
    return wordBytes;
  };
  const tables = { bytesOf, byFirstLetter: new Map() }; // filled as letters are asked for
  builtOnFirstUse(tables, 'allWords', () => candidateTable(dictionary, bytesOf, [...dictionary.firstLineOfWord.keys()]));
  return tables;
}

function fuzzyTables(dictionary) {
  if (!dictionary.fuzzyTables) dictionary.fuzzyTables = buildFuzzyTables(dictionary);
  return dictionary.fuzzyTables;
}

// The candidates of the words starting with `letter` (a key of letterIndex).
function letterTable(dictionary, letter) {
  const tables = fuzzyTables(dictionary);
  let table = tables.byFirstLetter.get(letter);
  if (!table) {
    table = candidateTable(dictionary, tables.bytesOf, dictionary.letterIndex.get(letter));
    tables.byFirstLetter.set(letter, table);
  }
  return table;
}

// The candidates of a query: the words sharing its first letter, or every word.
function candidatesFor(dictionary, q) {
  if (!dictionary.letterIndex.has(q[0])) return fuzzyTables(dictionary).allWords;
  return letterTable(dictionary, q[0]);
}

// The tables built on first use, as steps that build them ahead of it: the whole vocabulary's,
// then each first letter's (the C++ engine builds them all while loading).
export function fuzzyTablePreparations(dictionary) {
  return [() => fuzzyTables(dictionary).allWords,
    ...[...dictionary.letterIndex.keys()].map((letter) => () => letterTable(dictionary, letter))];
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
  const { words, bytes, kindsLow, kindsHigh, firstLines } = candidatesFor(dictionary, q);
  const scorer = new WeightedRatioScorer(utf8Bytes(q));
  const queryLength = scorer.query.length;
  const [queryLow, queryHigh] = byteKinds(scorer.query);
  // A first pass bounds every score cheaply; the candidates are then scored highest bound first,
  // a point of score at a time, while their bound could still make the list.
  const best = new BestCandidates(maxResults);
  const bands = Array.from({ length: 102 }, () => []);
  for (let position = 0; position < words.length; position++) {
    const firstLine = firstLines[position];
    // No byte in common, not even white space: every ratio is 0.
    if (((kindsLow[position] & queryLow) | (kindsHigh[position] & queryHigh)) === 0) {
      if (0 >= threshold) best.offer({ score: 0, firstLine, position });
      continue;
    }
    const cap = lengthCap(queryLength, bytes[position].length);
    if (!(cap >= threshold) || !best.admits(cap, firstLine, position)) continue;
    const bound = scorer.bound(bytes[position]);
    if (!(bound >= threshold)) continue;
    if (scorer.boundIsExact) best.offer({ score: bound, firstLine, position });
    else bands[Math.min(Math.max(Math.floor(bound), 0), 101)].push(position, bound);
  }
  for (let band = 101; band >= 0; band--) {
    if (best.isFull() && band + 1 < best.lowestScore()) break;
    const waiting = bands[band];
    for (let i = 0; i < waiting.length; i += 2) {
      const position = waiting[i];
      const firstLine = firstLines[position];
      if (!best.admits(waiting[i + 1], firstLine, position)) continue;
      // Just below the bar: a score equal to the lowest kept may still enter by an earlier place.
      const floor = (best.isFull() ? best.lowestScore() : threshold) * (1 - 1e-9);
      const score = scorer.score(bytes[position], floor);
      if (score >= threshold) best.offer({ score, firstLine, position });
    }
  }
  return best.kept.map((found) => [words[found.position], found.score]);
}
