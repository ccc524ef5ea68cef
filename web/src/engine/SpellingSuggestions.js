// Spelling suggestions, as dictionary/SpellingSuggestions.cpp: for a query that is neither a word,
// an entry number nor a whole translation of the dictionary, the entries a learner most likely
// meant, best first. Words within a few edits of the query (a swap of two neighbouring letters is
// one edit), found by walking a trie of the word keys; the whole translation or phrase
// translation that the query, or its simplified form, is; then the translations and phrase
// translations holding Chinese text.
import { phraseTranslationLines } from './PhraseSearch.js';
import { isMainlyChinese } from './ChineseSearch.js';
import { toInt, toLower, trimmed } from './QtText.js';

// An alignment's cost: editWeight per edit, plus one for each edit that types a letter the word
// does not have there (a letter substituted or added, unless typed twice). Of two words equally
// many edits away, the one reached by leaving letters out or swapping two is likelier: a typist
// who adds or changes a letter picks one of some thirty, so any one such typo is that much rarer.
const editWeight = 16;
const omitted = editWeight;
const swapped = editWeight;
const substituted = editWeight + 1;
const added = editWeight + 1;
const beyondReach = 1 << 28;

// The edits a query of `length` characters may be away from a word: two, three from nine on, and
// always fewer than its length (as many edits could turn it into any word that long).
export function editsAllowed(length) {
  return Math.min(length >= 9 ? 3 : 2, length - 1);
}

// The text's Unicode characters; a lone surrogate counts as one character, as in C++.
function codePoints(text) {
  const points = [];
  for (let i = 0; i < text.length; ) {
    const point = text.codePointAt(i);
    points.push(point);
    i += point > 0xffff ? 2 : 1;
  }
  return points;
}

function compareCodePoints(a, b) {
  const common = Math.min(a.length, b.length);
  for (let i = 0; i < common; i++) {
    if (a[i] !== b[i]) return a[i] - b[i];
  }
  return a.length - b.length;
}

// The word keys (`words`, in order of their first line) as a trie in depth-first order: node n
// holds the letter `letters[n]` at depth `depths[n]`, its subtree is the nodes n .. ends[n] - 1,
// `wordIds[n]` is the word ending there (its place in `words`), else -1, and `longestBelow[n]`
// the length of the subtree's longest word. A search walks it from start to end and skips a
// subtree whose prefix is already too far from the query, or whose words are all too short.
export function buildWordTrie(words) {
  const points = words.map(codePoints);
  const sorted = words.map((_, id) => id).filter((id) => points[id].length > 0);
  sorted.sort((a, b) => compareCodePoints(points[a], points[b]));
  const letters = [];
  const depths = [];
  const ends = [];
  const wordIds = [];
  const open = []; // open[d]: the node at depth d on the path to the current word
  let previous = [];
  let longestWord = 0;
  for (const id of sorted) {
    const word = points[id];
    let common = 0;
    while (common < word.length && common < previous.length && word[common] === previous[common]) common++;
    for (let depth = previous.length; depth > common; depth--) ends[open[depth]] = letters.length;
    for (let depth = common + 1; depth <= word.length; depth++) {
      open[depth] = letters.length;
      letters.push(word[depth - 1]);
      depths.push(depth);
      ends.push(0);
      wordIds.push(-1);
    }
    wordIds[open[word.length]] = id;
    longestWord = Math.max(longestWord, word.length);
    previous = word;
  }
  for (let depth = previous.length; depth > 0; depth--) ends[open[depth]] = letters.length;
  // The longest word of each subtree, from the last node back: a node's children follow it.
  const longestBelow = new Int32Array(letters.length);
  for (let n = letters.length - 1; n >= 0; n--) {
    let longest = wordIds[n] >= 0 ? depths[n] : 0;
    for (let child = n + 1; child < ends[n]; child = ends[child]) longest = Math.max(longest, longestBelow[child]);
    longestBelow[n] = longest;
  }
  return {
    letters: Int32Array.from(letters),
    depths: Int32Array.from(depths),
    ends: Int32Array.from(ends),
    wordIds: Int32Array.from(wordIds),
    longestBelow,
    longestWord, // in characters
  };
}

function spellingTables(dictionary) {
  if (!dictionary.spellingTables) {
    const words = [...dictionary.firstLineOfWord.keys()];
    // Every phrase translation, trimmed, with its lines: a look-up finds a whole one sooner than a
    // sweep of them all (a few milliseconds at 100,000 entries).
    const { text, starts, owners } = phraseTranslationLines(dictionary);
    const phraseTranslations = new Map();
    for (let line = 0; line < owners.length; line++) {
      const translation = text.slice(starts[line], (line + 1 < starts.length ? starts[line + 1] : text.length) - 1);
      const lines = phraseTranslations.get(translation);
      if (lines) lines.push(line);
      else phraseTranslations.set(translation, [line]);
    }
    dictionary.spellingTables = { words, trie: buildWordTrie(words), phraseTranslations, owners };
  }
  return dictionary.spellingTables;
}

// Builds the trie ahead of its first use.
export function prepareSpellingTables(dictionary) {
  spellingTables(dictionary);
}

// Every word of the trie at most `maxEdits` edits from the query (optimal string alignment: a
// swap of two neighbouring letters is one edit), as word id, cost, word id, cost ... in trie
// order, where cost = editWeight * edits + the letters typed that the word lacks. Row d of the
// table aligns a prefix of d letters with every prefix of the query; only the cells at most
// maxEdits off the diagonal can stay within reach, so a row keeps those 2 * maxEdits + 1 (cell k:
// query prefix d - maxEdits + k) and one more that is always out of reach. A cell outside the
// query is never written, and the first column (letters left out) is the same for every word.
export function wordsWithinEdits(trie, query, maxEdits) {
  const q = Int32Array.from(codePoints(query));
  const m = q.length;
  if (maxEdits < 0 || m > trie.longestWord + maxEdits) return [];
  const width = 2 * maxEdits + 1;
  const stride = width + 1;
  const reach = editWeight * maxEdits + editWeight - 1;
  const deepest = Math.min(m + maxEdits, trie.longestWord);
  const rows = new Int32Array((deepest + 1) * stride).fill(beyondReach);
  const path = new Int32Array(deepest + 1);
  path[0] = -1; // no letter: a swap needs two
  // The cost of typing q[j - 1] where the word has no letter: a letter typed twice in a row is
  // as common a slip as one left out.
  const addedAt = new Int32Array(m + 1);
  for (let j = 1; j <= m; j++) addedAt[j] = j >= 2 && q[j - 1] === q[j - 2] ? omitted : added;
  for (let j = 0, cost = 0; j <= Math.min(m, maxEdits); j++) {
    cost += addedAt[j];
    rows[maxEdits + j] = cost;
  }
  for (let depth = 1; depth <= Math.min(maxEdits, deepest); depth++) rows[depth * stride + maxEdits - depth] = omitted * depth;
  const { letters, depths, ends, wordIds, longestBelow } = trie;
  const found = [];
  for (let n = 0; n < letters.length; ) {
    const depth = depths[n];
    if (depth > deepest || longestBelow[n] + maxEdits < m) {
      n = ends[n];
      continue;
    }
    const letter = letters[n];
    const previous = path[depth - 1];
    path[depth] = letter;
    const row = depth * stride;
    const above = row - stride;
    const twoAbove = above - stride;
    const first = Math.max(maxEdits + 1 - depth, 0); // the cell of query prefix 1, or 0
    const last = Math.min(m + maxEdits - depth, width - 1); // the cell of the whole query
    let best = depth <= maxEdits ? omitted * depth : beyondReach;
    let left = first > 0 ? rows[row + first - 1] : beyondReach;
    for (let k = first, j = depth - maxEdits + first; k <= last; k++, j++) {
      let cost = rows[above + k] + (letter === q[j - 1] ? 0 : substituted);
      const leftOut = rows[above + k + 1] + omitted;
      if (leftOut < cost) cost = leftOut;
      const typed = left + addedAt[j];
      if (typed < cost) cost = typed;
      if (j >= 2 && letter === q[j - 2] && previous === q[j - 1]) {
        const swap = rows[twoAbove + k] + swapped;
        if (swap < cost) cost = swap;
      }
      rows[row + k] = cost;
      left = cost;
      if (cost < best) best = cost;
    }
    if (best > reach) {
      n = ends[n];
      continue;
    }
    const end = m + maxEdits - depth;
    if (wordIds[n] >= 0 && end >= 0 && end < width && rows[row + end] <= reach) found.push(wordIds[n], rows[row + end]);
    n++;
  }
  return found;
}

// The suggestions of one query, each entry once: the first stage to find an entry keeps it.
class SuggestionCollector {
  constructor(maxResults) {
    this.maxResults = maxResults;
    this.suggestions = [];
    this.entries = new Set();
  }

  isFull() {
    return this.suggestions.length >= this.maxResults;
  }

  contains(entry) {
    return this.entries.has(entry);
  }

  add(entry, kind, distance, phrase) {
    if (this.isFull() || this.entries.has(entry)) return;
    this.entries.add(entry);
    this.suggestions.push({ entry, kind, distance, phrase });
  }
}

// The words within reach of the lowered query: fewest edits, then fewest letters typed that the
// word lacks, then a word that keeps the query's first letter (typists seldom miss the first),
// then the word's first line. Only the best maxResults can be suggested: no more are ranked.
function addSpellingSuggestions(dictionary, loweredQuery, collector) {
  const { words, trie } = spellingTables(dictionary);
  const q = codePoints(loweredQuery);
  const found = wordsWithinEdits(trie, loweredQuery, editsAllowed(q.length));
  const limit = collector.maxResults;
  const keys = []; // 2 * cost + (first letter changed), kept ascending with their word ids
  const ids = [];
  for (let i = 0; i < found.length; i += 2) {
    const id = found[i];
    const key = 2 * found[i + 1] + (words[id].codePointAt(0) === q[0] ? 0 : 1);
    if (keys.length >= limit && (key > keys[limit - 1] || (key === keys[limit - 1] && id > ids[limit - 1]))) continue;
    let at = keys.length;
    while (at > 0 && (key < keys[at - 1] || (key === keys[at - 1] && id < ids[at - 1]))) at--;
    keys.splice(at, 0, key);
    ids.splice(at, 0, id);
    if (keys.length > limit) {
      keys.pop();
      ids.pop();
    }
  }
  for (let i = 0; i < ids.length; i++) {
    const entry = dictionary.wordIndex.get(words[ids[i]]);
    if (entry) collector.add(entry, 'spelling', Math.floor(keys[i] / 2 / editWeight), -1);
  }
}

// The entries listed under the whole translation `text`.
function addWholeTranslation(dictionary, text, collector) {
  for (const wordKey of dictionary.chineseIndex.get(text) ?? []) {
    const entry = dictionary.wordIndex.get(toLower(wordKey));
    if (entry) collector.add(entry, 'translation', 0, -1);
  }
}

// The entries with a phrase translation that is `text` whole, in line order, with that phrase
// (as findPhraseTranslation finds them, from the table of phrase translations).
function addWholePhraseTranslation(dictionary, text, collector) {
  const { phraseTranslations, owners } = spellingTables(dictionary);
  for (const line of phraseTranslations.get(text) ?? []) {
    const entry = owners[line];
    if (collector.contains(entry)) continue;
    let first = line;
    while (first > 0 && owners[first - 1] === entry) first--;
    collector.add(entry, 'phrase_translation', 0, line - first);
  }
}

// The `limit` best of the entries offered, each once, by the length of their text that holds the
// query, then the order they were offered in.
class ShortestHolders {
  constructor(limit) {
    this.limit = limit;
    this.kept = [];
  }

  offer(length, entry, phrase) {
    const known = this.kept.findIndex((holder) => holder.entry === entry);
    if (known !== -1) {
      if (this.kept[known].length <= length) return;
      this.kept.splice(known, 1);
    }
    if (this.kept.length >= this.limit && length >= this.kept[this.kept.length - 1].length) return;
    let at = this.kept.length;
    while (at > 0 && length < this.kept[at - 1].length) at--;
    this.kept.splice(at, 0, { length, entry, phrase });
    if (this.kept.length > this.limit) this.kept.pop();
  }
}

// The entries whose translation holds `text`, by their shortest such translation, then by its
// first line.
function addTranslationsContaining(dictionary, text, collector) {
  const holders = new ShortestHolders(collector.maxResults);
  for (const [translation, wordKeys] of dictionary.chineseIndex) {
    if (!translation.includes(text)) continue;
    for (const wordKey of wordKeys) {
      const entry = dictionary.wordIndex.get(toLower(wordKey));
      if (entry && !collector.contains(entry)) holders.offer(translation.length, entry, -1);
    }
  }
  for (const { entry } of holders.kept) collector.add(entry, 'translation_partial', 0, -1);
}

// The entries with a phrase translation holding `text`, each by its shortest such phrase
// translation (the first of equal ones): the shortest first, then in line order.
function addPhraseTranslationsContaining(dictionary, text, collector) {
  const { text: lines, starts, owners } = phraseTranslationLines(dictionary);
  const lineText = (i) => lines.slice(starts[i], (i + 1 < starts.length ? starts[i + 1] : lines.length) - 1);
  const holders = new ShortestHolders(collector.maxResults);
  let line = 0;
  // No phrase translation holds a line feed.
  let at = text.includes('\n') ? -1 : lines.indexOf(text);
  while (at !== -1) {
    while (line + 1 < owners.length && starts[line + 1] <= at) line++;
    const entry = owners[line];
    let first = line;
    while (first > 0 && owners[first - 1] === entry) first--;
    let last = line;
    while (last + 1 < owners.length && owners[last + 1] === entry) last++;
    if (!collector.contains(entry)) {
      let shortest = null;
      for (let i = line; i <= last; i++) {
        const translation = lineText(i);
        if (translation.includes(text) && (shortest === null || translation.length < shortest.length))
          shortest = { length: translation.length, phrase: i - first };
      }
      holders.offer(shortest.length, entry, shortest.phrase);
    }
    at = last + 1 < owners.length ? lines.indexOf(text, starts[last + 1]) : -1;
  }
  for (const { entry, phrase } of holders.kept) collector.add(entry, 'phrase_translation_partial', 0, phrase);
}

// What the query may have meant: [{ entry, kind, distance, phrase }], best first, at most
// maxResults. kind is 'spelling' (the entry's word is `distance` edits away), 'translation' (the
// query's simplified form is the entry's translation), 'phrase_translation' (the query or its
// simplified form is the translation of the entry's phrase number `phrase`),
// 'translation_partial' or 'phrase_translation_partial' (such a text holds it). `phrase` is -1
// where no phrase matched. `simplifiedQuery` is the query in simplified characters, or null.
export function spellingSuggestions(dictionary, query, maxResults, simplifiedQuery) {
  const text = trimmed(query);
  if (!(maxResults > 0) || text === '' || toInt(text) !== null) return [];
  if (dictionary.wordIndex.has(toLower(text)) || dictionary.chineseIndex.has(text)) return [];
  const simplified = simplifiedQuery === null || simplifiedQuery === undefined ? '' : trimmed(simplifiedQuery);
  const variant = simplified !== '' && simplified !== text;
  const collector = new SuggestionCollector(maxResults);
  if (variant) {
    addWholeTranslation(dictionary, simplified, collector);
    addWholePhraseTranslation(dictionary, simplified, collector);
  }
  addWholePhraseTranslation(dictionary, text, collector);
  if (!isMainlyChinese(text)) addSpellingSuggestions(dictionary, toLower(text), collector);
  if (variant && isMainlyChinese(simplified)) {
    addTranslationsContaining(dictionary, simplified, collector);
    addPhraseTranslationsContaining(dictionary, simplified, collector);
  }
  if (isMainlyChinese(text)) addPhraseTranslationsContaining(dictionary, text, collector);
  return collector.suggestions;
}
