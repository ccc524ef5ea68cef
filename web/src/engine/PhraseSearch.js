// The phrase searches, as dictionary/PhraseSearch.cpp. Only the entries held in wordIndex are
// searched (a repeated word's earlier lines are not). As there, the phrases are swept as one
// text: every phrase of those entries, lower-cased, in line order, each between blanks and
// between line feeds (no phrase holds a line feed), so that one string search finds the
// phrases holding a word; each entry found is then examined as the rules say, phrase by phrase.
import { builtOnFirstUse } from './DictionaryLoading.js';
import { arg, toLower, trimmed } from './QtText.js';

// One line per phrase: `text` holds "\n" + line + "\n" + line ... + "\n", line i starting at
// starts[i]; `entries[i]` is the entry whose phrase it is.
function linesText(lines) {
  return '\n' + lines.join('\n') + '\n';
}

function lineStarts(text) {
  const starts = [];
  for (let at = text.indexOf('\n'); at !== -1 && at < text.length - 1; at = text.indexOf('\n', at + 1)) {
    starts.push(at + 1);
  }
  return starts;
}

// The phrase text, its lines and their entries. The piece index and the trimmed lines (of the
// phrases and of their translations) are built when first needed (or while the page is idle):
// until the piece index is there, a word is looked for in the text itself, which costs a pass
// over it but spares the index's building before the page's first answer.
function buildPhraseTables(dictionary) {
  const entries = inLineOrder(dictionary.wordIndex.values());
  const owners = [];
  const phrases = [];
  for (const entry of entries) {
    for (const phrase of entry.phrases) {
      owners.push(entry);
      phrases.push(phrase);
    }
  }
  // Lower-cased whole: Qt's lower-casing maps each character alone, so the text of lower-cased
  // phrases is the lower-cased text of the phrases. Each line " phrase ".
  const text = toLower(phrases.length === 0 ? linesText([]) : '\n ' + phrases.join(' \n ') + ' \n');
  const starts = lineStarts(text);
  const tables = { text, starts, owners, pieces: null };
  builtOnFirstUse(tables, 'trimmedPhrases', () =>
    searchableLines(starts.map((start) => trimmed(text.slice(start, text.indexOf('\n', start))))));
  builtOnFirstUse(tables, 'translationOwners', () =>
    entries.flatMap((entry) => entry.phraseTranslations.map(() => entry)));
  builtOnFirstUse(tables, 'trimmedTranslations', () =>
    searchableLines(entries.flatMap((entry) => entry.phraseTranslations.map(trimmed))));
  return tables;
}

// Entries in line order, by their numbers (a sort of a hundred thousand would take longer).
function inLineOrder(entries) {
  const byNumber = [];
  for (const entry of entries) byNumber[entry.number] = entry;
  return byNumber.filter((entry) => entry !== undefined);
}

function searchableLines(lines) {
  const text = linesText(lines);
  return { text, starts: lineStarts(text) };
}

// FNV-1a over UTF-16 units, for the piece index.
function pieceHash(text, start, end) {
  let hash = 0x811c9dc5;
  for (let i = start; i < end; i++) hash = Math.imul(hash ^ text.charCodeAt(i), 16777619);
  return hash >>> 0;
}

// The lines by the blank-separated pieces of their text: bucket h lists, in line order and
// each once, the lines holding a piece whose hash falls into h, as
// lines[bucketStart[h] .. bucketStart[h + 1]). A string search of the whole text per word
// would read megabytes for every fuzzy word.
function indexPieces(text) {
  let bucketCount = 1024;
  while (bucketCount < text.length / 4) bucketCount *= 2;
  const mask = bucketCount - 1;
  const bucketStart = new Uint32Array(bucketCount + 1);
  const lastLine = new Int32Array(bucketCount).fill(-1);
  const eachPiece = (visit) => {
    let line = -1;
    let start = 0;
    for (let i = 0; i < text.length; i++) {
      const c = text.charCodeAt(i);
      if (c !== 0x20 && c !== 0x0a) continue;
      if (i > start) {
        const bucket = pieceHash(text, start, i) & mask;
        if (lastLine[bucket] !== line) {
          lastLine[bucket] = line;
          visit(bucket, line);
        }
      }
      if (c === 0x0a) line++;
      start = i + 1;
    }
  };
  eachPiece((bucket) => bucketStart[bucket + 1]++);
  for (let b = 0; b < bucketCount; b++) bucketStart[b + 1] += bucketStart[b];
  const lines = new Uint32Array(bucketStart[bucketCount]);
  const next = bucketStart.slice(0, bucketCount);
  lastLine.fill(-1);
  eachPiece((bucket, line) => {
    lines[next[bucket]++] = line;
  });
  return { mask, bucketStart, lines };
}

function phraseTables(dictionary) {
  if (!dictionary.phraseTables) dictionary.phraseTables = buildPhraseTables(dictionary);
  return dictionary.phraseTables;
}

// Builds the phrase tables ahead of their first use.
export function preparePhraseTables(dictionary) {
  const tables = phraseTables(dictionary);
  tables.pieces ??= indexPieces(tables.text);
  return [tables.trimmedPhrases, tables.translationOwners, tables.trimmedTranslations];
}

// Every phrase translation of the searched entries, trimmed, one a line in line order
// ({ text, starts } as above), and the entry of each (SpellingSuggestions.js sweeps them).
export function phraseTranslationLines(dictionary) {
  const tables = phraseTables(dictionary);
  return { ...tables.trimmedTranslations, owners: tables.translationOwners };
}

// The line of `text` at offset `at`.
function lineAt(starts, at) {
  let low = 0;
  let high = starts.length - 1;
  while (low < high) {
    const middle = (low + high + 1) >>> 1;
    if (starts[middle] <= at) low = middle;
    else high = middle - 1;
  }
  return low;
}

// The owners of the lines of `text` at whose start `needle` (a line feed first) is found, each
// once, in line order.
function ownersOfLinesWith(text, starts, owners, needle) {
  const found = new Set();
  for (let at = text.indexOf(needle); at !== -1; at = text.indexOf(needle, at + 1)) {
    found.add(owners[lineAt(starts, at + 1)]);
  }
  return [...found];
}

// An entry's phrases lowered, cut from the text without their blanks.
function loweredPhrasesOf(tables, entry, firstLine) {
  const lowered = [];
  for (let i = 0; i < entry.phrases.length; i++) {
    const start = tables.starts[firstLine + i];
    const end = tables.text.indexOf('\n', start);
    lowered.push(tables.text.slice(start + 1, end - 1));
  }
  return lowered;
}

// The result of an entry's first phrase that equals the word or holds it as a blank-separated
// piece, or null.
function phraseResultFor(entry, loweredPhrases, q) {
  for (let i = 0; i < loweredPhrases.length; i++) {
    const lowered = loweredPhrases[i];
    if (lowered === q) {
      return { entry, matchType: 'phrase_exact_word', score: 100.0, highlightInfo: arg('词组等于单词: %1', entry.phrases[i]) };
    }
    if (lowered.split(' ').includes(q)) {
      const score = lowered.startsWith(q + ' ') ? 98.0 : 95.0;
      return { entry, matchType: 'phrase_contains_word', score, highlightInfo: arg('词组包含: %1', entry.phrases[i]) };
    }
  }
  return null;
}

export function findPhrasesContainingWord(dictionary, word) {
  const q = toLower(trimmed(word));
  // No phrase holds a line feed.
  if (q === '' || q.includes('\n')) return [];
  const tables = phraseTables(dictionary);
  const { owners } = tables;
  const firstLines = new Map();
  const noteLine = (line) => {
    const entry = owners[line];
    if (!firstLines.has(entry)) {
      let first = line;
      while (first > 0 && owners[first - 1] === entry) first--;
      firstLines.set(entry, first);
    }
  };
  // A phrase equal to q, or holding it as a piece, holds q's first piece (q itself when it has no
  // blank; with one, only a phrase equal to q can match), and is listed under its hash.
  const blank = q.indexOf(' ');
  const firstPiece = blank === -1 ? q : q.slice(0, blank);
  if (tables.pieces) {
    const { mask, bucketStart, lines } = tables.pieces;
    const bucket = pieceHash(firstPiece, 0, firstPiece.length) & mask;
    for (let i = bucketStart[bucket]; i < bucketStart[bucket + 1]; i++) noteLine(lines[i]);
  } else {
    // Each line is " phrase ": a piece of it lies between blanks.
    const needle = ' ' + firstPiece + ' ';
    for (let at = tables.text.indexOf(needle); at !== -1; at = tables.text.indexOf(needle, at + 1))
      noteLine(lineAt(tables.starts, at));
  }
  const results = [];
  for (const [entry, firstLine] of [...firstLines].sort((a, b) => a[0].number - b[0].number)) {
    const result = phraseResultFor(entry, loweredPhrasesOf(tables, entry, firstLine), q);
    if (result) results.push(result);
  }
  return results;
}

// The owners of the lines equal to q, in line order.
function ownersOfLinesEqualTo({ text, starts }, owners, q) {
  return ownersOfLinesWith(text, starts, owners, '\n' + q + '\n');
}

export function findExactPhrase(dictionary, phrase) {
  const q = toLower(trimmed(phrase));
  if (q === '' || q.includes('\n')) return [];
  const tables = phraseTables(dictionary);
  const highlightInfo = arg('完全匹配词组: %1', phrase);
  return ownersOfLinesEqualTo(tables.trimmedPhrases, tables.owners, q).map((entry) => ({
    entry,
    matchType: 'phrase_exact_match',
    score: 100.0,
    highlightInfo,
  }));
}

export function findPhraseTranslation(dictionary, chinese) {
  const q = trimmed(chinese);
  if (q === '' || q.includes('\n')) return [];
  const tables = phraseTables(dictionary);
  const highlightInfo = arg('词组翻译: %1', chinese);
  return ownersOfLinesEqualTo(tables.trimmedTranslations, tables.translationOwners, q).map((entry) => ({
    entry,
    matchType: 'phrase_translation_exact',
    score: 100.0,
    highlightInfo,
  }));
}
