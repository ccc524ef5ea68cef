// The translate page: the card exactly as the window (and `varnell-dict lookup`) shows it, every
// ranked result linking to its entry, and for a word the dictionary does not hold, the fuzzy
// search's own suggestions, so that a misspelt word shows the word meant even when the card
// shows a phrase entry.
import { composeResultCard, searchedQuery } from '../engine/index.js';
import { byId, element, replaceChildren } from './dom.js';
import { entryAddress } from './routes.js';

const maxResults = 10; // as the window
const maxSimilarWords = 10;
const similarWordThreshold = 50; // the fuzzy stage's own threshold

function scoreText(score) {
  return Number.isInteger(score) ? String(score) : score.toFixed(1);
}

function resultItem(result) {
  const { entry } = result;
  // The match and its exact score as hooks for tools and tests; the text shows them rounded.
  return element('li', { 'data-match-type': result.matchType, 'data-score': String(result.score) }, [
    element('a', { href: entryAddress(entry.number) }, [
      element('span', { className: 'word', text: entry.word }),
      element('span', { className: 'pos', text: entry.partOfSpeech }),
      element('span', { className: 'translation', text: entry.translation }),
      element('span', { className: 'match', text: `${result.highlightInfo} · ${scoreText(result.score)}` }),
    ]),
  ]);
}

// `wordKey` is the word as the fuzzy search compares it (lower-cased); the entry has it as written.
function similarWordItem(dictionary, wordKey, score) {
  const entry = dictionary.lookupByWord(wordKey);
  const children = [
    element('span', { className: 'word', text: entry ? entry.word : wordKey }),
    element('span', { className: 'translation', text: entry ? entry.translation : '' }),
    element('span', { className: 'match', text: scoreText(score) }),
  ];
  return element('li', {}, [entry ? element('a', { href: entryAddress(entry.number) }, children)
    : element('span', {}, children)]);
}

// Words spelt like `query` when it names no word of the dictionary: none for an entry number,
// Chinese text (the fuzzy search compares 禾岚 spellings only) or a word found as it is.
function similarWords(dictionary, query) {
  const trimmed = query.trim();
  if (trimmed === '' || /^[+-]?[0-9]+$/.test(trimmed) || dictionary.isMainlyChinese(trimmed)
      || dictionary.lookupByWord(trimmed))
    return [];
  return dictionary.fuzzyWordSearch(trimmed, maxSimilarWords, similarWordThreshold);
}

let latestAnswer = 0;

// Fills 相近的词 for `query`, unless a newer answer came first.
function showSimilarWords(dictionary, query, answer) {
  if (answer !== latestAnswer)
    return;
  const similar = similarWords(dictionary, query);
  replaceChildren(byId('similar-words'),
    similar.map(([wordKey, score]) => similarWordItem(dictionary, wordKey, score)));
  const section = byId('similar');
  section.hidden = similar.length === 0;
  section.dataset.query = query; // for tests and tools: the list is this query's
}

// Answers `typed` as the window's input line would. The fuzzy suggestions are a second fuzzy
// search, as long as the smart search's own: they come a moment after the card, so that the
// card never waits for them.
export function showAnswer(dictionary, typed) {
  const query = searchedQuery(typed);
  const results = dictionary.smartSearch(query, maxResults);
  byId('card').textContent = composeResultCard(query, results, dictionary);
  replaceChildren(byId('results'), results.map(resultItem));
  byId('similar').hidden = true;
  delete byId('similar').dataset.query;
  const answer = ++latestAnswer;
  setTimeout(() => showSimilarWords(dictionary, query, answer), 0);
}
