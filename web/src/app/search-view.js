// The translate page: the card exactly as the window (and `varnell-dict lookup`) shows it, every
// ranked result linking to its entry (ten at first, ten more on request), and for a word the
// dictionary does not hold, the fuzzy search's own suggestions, so that a misspelt word shows the
// word meant even when the card shows a phrase entry.
import { composeResultCard, searchedQuery } from '../engine/index.js';
import { byId, element, replaceChildren, setText, textElement } from './dom.js';
import { entryAddress } from './routes.js';

const resultsPerPage = 10; // as the window's one search
const maxSimilarWords = 10;
const similarWordThreshold = 50; // the fuzzy stage's own threshold

function scoreText(score) {
  return Number.isInteger(score) ? String(score) : score.toFixed(1);
}

// The phrase of the entry that a result of a phrase search matched, as its index, or -1. The
// search names it in its highlight ("词组包含: PHRASE"), or the query does: a whole phrase, or a
// phrase's translation.
function matchedPhrase(result) {
  const { entry, matchType, highlightInfo } = result;
  const named = highlightInfo.slice(highlightInfo.indexOf(': ') + 2);
  const same = (a, b) => a.trim().toLowerCase() === b.trim().toLowerCase();
  switch (matchType) {
  case 'phrase_exact_word':
  case 'phrase_contains_word':
    return entry.phrases.indexOf(named);
  case 'phrase_exact_match':
    return entry.phrases.findIndex((phrase) => same(phrase, named));
  case 'phrase_translation_exact':
    return entry.phraseTranslations.findIndex((translation) => same(translation, named));
  default:
    return -1;
  }
}

// The phrase a result matched and that phrase's own translation, which need not be the entry's
// first phrase the card shows.
function phraseLine(result) {
  const at = matchedPhrase(result);
  if (at < 0)
    return [];
  const translation = result.entry.phraseTranslations[at] ?? '';
  return [element('span', { className: 'matched-phrase' }, [
    textElement('span', { className: 'phrase' }, result.entry.phrases[at]),
    ...translation === '' ? [] : [' — ', textElement('span', { className: 'phrase-translation' }, translation)],
  ])];
}

function resultItem(result) {
  const { entry } = result;
  // The match and its exact score as hooks for tools and tests; the text shows them rounded.
  return element('li', { 'data-match-type': result.matchType, 'data-score': String(result.score) }, [
    element('a', { href: entryAddress(entry.number) }, [
      textElement('span', { className: 'word' }, entry.word),
      textElement('span', { className: 'pos' }, entry.partOfSpeech),
      textElement('span', { className: 'translation' }, entry.translation),
      textElement('span', { className: 'match' }, `${result.highlightInfo} · ${scoreText(result.score)}`),
      ...phraseLine(result),
    ]),
  ]);
}

// `wordKey` is the word as the fuzzy search compares it (lower-cased); the entry has it as written.
function similarWordItem(dictionary, wordKey, score) {
  const entry = dictionary.lookupByWord(wordKey);
  const children = [
    textElement('span', { className: 'word' }, entry ? entry.word : wordKey),
    textElement('span', { className: 'translation' }, entry ? entry.translation : ''),
    element('span', { className: 'match', text: scoreText(score) }),
  ];
  return element('li', entry ? { 'data-entry': String(entry.number) } : {}, [
    entry ? element('a', { href: entryAddress(entry.number) }, children) : element('span', {}, children)]);
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

// The translate page of one dictionary: its answer to the latest query, whose further results
// can be asked for.
export class SearchView {
  constructor(dictionary) {
    this.dictionary = dictionary;
    this.query = null;
    this.shownEntries = new Set();
    this.asked = 0; // the limit of the latest search of this query
    this.answer = 0; // counts answers, so that a late list is dropped for a newer answer
    byId('more-results').addEventListener('click', () => this.showMoreResults());
  }

  // Answers `typed` as the window's input line would. The fuzzy suggestions are a second fuzzy
  // search, as long as the smart search's own: they come a moment after the card, so that the
  // card never waits for them.
  showAnswer(typed) {
    const query = searchedQuery(typed);
    const results = this.dictionary.smartSearch(query, resultsPerPage);
    setText(byId('card'), composeResultCard(query, results, this.dictionary));
    this.query = query;
    this.asked = resultsPerPage;
    this.shownEntries = new Set(results.map((result) => result.entry));
    replaceChildren(byId('results'), results.map(resultItem));
    byId('more-results').hidden = results.length < resultsPerPage;
    byId('similar').hidden = true;
    delete byId('similar').dataset.query;
    const answer = ++this.answer;
    setTimeout(() => this.showSimilarWords(query, answer), 0);
  }

  // The next ten results of the latest query: the search asked again for ten more, and those
  // results not shown yet added in its order (a longer fuzzy list may rank some of them among
  // the first ten, which stay as the card's search gave them).
  showMoreResults() {
    if (this.query === null)
      return;
    this.asked += resultsPerPage;
    const results = this.dictionary.smartSearch(this.query, this.asked);
    const added = results.filter((result) => !this.shownEntries.has(result.entry)).slice(0, resultsPerPage);
    for (const result of added)
      this.shownEntries.add(result.entry);
    byId('results').append(...added.map(resultItem));
    byId('more-results').hidden = results.length < this.asked;
  }

  // Fills 相近的词 for `query`, unless a newer answer came first.
  showSimilarWords(query, answer) {
    if (answer !== this.answer)
      return;
    const similar = similarWords(this.dictionary, query);
    replaceChildren(byId('similar-words'),
      similar.map(([wordKey, score]) => similarWordItem(this.dictionary, wordKey, score)));
    const section = byId('similar');
    section.hidden = similar.length === 0;
    section.dataset.query = query; // for tests and tools: the list is this query's
  }
}
