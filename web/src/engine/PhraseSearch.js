// The phrase searches, as dictionary/PhraseSearch.cpp. Only the entries held in wordIndex are
// searched (a repeated word's earlier lines are not). Tables built on the first phrase search
// take each query straight to the entries that can match; each entry is then examined as the
// rules say, phrase by phrase.
import { arg, toLower, trimmed } from './QtText.js';

function appendTo(map, key, value) {
  const list = map.get(key);
  if (!list) map.set(key, [value]);
  else if (list[list.length - 1] !== value) list.push(value);
}

function buildPhraseTables(dictionary) {
  const byPiece = new Map(); // blank-separated piece of a lowered phrase -> entries
  const byLoweredPhrase = new Map(); // lowered phrase -> entries
  const byExactPhrase = new Map(); // trimmed, then lowered phrase -> entries
  const byTranslation = new Map(); // trimmed phrase translation -> entries
  const loweredPhrases = new Map(); // entry -> its phrases lowered
  const entries = [...dictionary.wordIndex.values()].sort((a, b) => a.number - b.number);
  for (const entry of entries) {
    const lowered = entry.phrases.map(toLower);
    loweredPhrases.set(entry, lowered);
    entry.phrases.forEach((phrase, i) => {
      appendTo(byLoweredPhrase, lowered[i], entry);
      for (const piece of lowered[i].split(' ')) {
        if (piece !== '') appendTo(byPiece, piece, entry);
      }
      appendTo(byExactPhrase, toLower(trimmed(phrase)), entry);
    });
    for (const translation of entry.phraseTranslations) appendTo(byTranslation, trimmed(translation), entry);
  }
  return { byPiece, byLoweredPhrase, byExactPhrase, byTranslation, loweredPhrases };
}

function phraseTables(dictionary) {
  if (!dictionary.phraseTables) dictionary.phraseTables = buildPhraseTables(dictionary);
  return dictionary.phraseTables;
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

function entriesInLineOrder(...lists) {
  const all = new Set();
  for (const list of lists) for (const entry of list ?? []) all.add(entry);
  return [...all].sort((a, b) => a.number - b.number);
}

export function findPhrasesContainingWord(dictionary, word) {
  const q = toLower(trimmed(word));
  if (q === '') return [];
  const tables = phraseTables(dictionary);
  const results = [];
  for (const entry of entriesInLineOrder(tables.byLoweredPhrase.get(q), tables.byPiece.get(q))) {
    const result = phraseResultFor(entry, tables.loweredPhrases.get(entry), q);
    if (result) results.push(result);
  }
  return results;
}

export function findExactPhrase(dictionary, phrase) {
  const q = toLower(trimmed(phrase));
  if (q === '') return [];
  const highlightInfo = arg('完全匹配词组: %1', phrase);
  return entriesInLineOrder(phraseTables(dictionary).byExactPhrase.get(q)).map((entry) => ({
    entry,
    matchType: 'phrase_exact_match',
    score: 100.0,
    highlightInfo,
  }));
}

export function findPhraseTranslation(dictionary, chinese) {
  const q = trimmed(chinese);
  if (q === '') return [];
  const highlightInfo = arg('词组翻译: %1', chinese);
  return entriesInLineOrder(phraseTables(dictionary).byTranslation.get(q)).map((entry) => ({
    entry,
    matchType: 'phrase_translation_exact',
    score: 100.0,
    highlightInfo,
  }));
}
