// The translate page: the card exactly as the window (and `varnell-dict lookup`) shows it, every
// ranked result linking to its entry (ten at first, ten more on request), and for a query the
// dictionary does not hold as it is, what the reader may have meant: the likeliest above the card
// (您要找的是不是), all of them under 相近的词, so that a misspelt word shows the word meant even
// when the card shows a phrase entry.
import { composeResultCard, searchedQuery } from '../engine/index.js';
import { byId, element, replaceChildren, setText, textElement } from './dom.js';
import { entryAddress } from './routes.js';

const resultsPerPage = 10; // as the window's one search
const maxSuggestions = 10; // as `varnell-dict lookup --json` lists them

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

// Why an entry is suggested, as the reader reads it.
function suggestionReason({ kind, distance }) {
  switch (kind) {
  case 'spelling':
    return `拼写相差 ${distance} 处`;
  case 'translation':
    return '简体的翻译';
  case 'phrase_translation':
    return '词组的翻译';
  case 'translation_partial':
    return '翻译包含';
  default:
    return '词组的翻译包含';
  }
}

function suggestionItem(suggestion) {
  const { entry } = suggestion;
  const phrase = suggestion.phrase >= 0 ? [element('span', { className: 'matched-phrase' }, [
    textElement('span', { className: 'phrase' }, entry.phrases[suggestion.phrase]),
    ' — ', textElement('span', { className: 'phrase-translation' }, entry.phraseTranslations[suggestion.phrase] ?? ''),
  ])] : [];
  return element('li', { 'data-entry': String(entry.number), 'data-kind': suggestion.kind }, [
    element('a', { href: entryAddress(entry.number) }, [
      textElement('span', { className: 'word' }, entry.word),
      textElement('span', { className: 'translation' }, entry.translation),
      element('span', { className: 'match', text: suggestionReason(suggestion) }),
      ...phrase,
    ]),
  ]);
}

// 您要找的是不是：WORD above the card, as `varnell-dict lookup` prints it after its card, the word
// a link to its entry; hidden without a suggestion.
function showDidYouMean(suggestions) {
  const link = byId('did-you-mean-word');
  byId('did-you-mean').hidden = suggestions.length === 0;
  if (suggestions.length === 0) {
    link.removeAttribute('data-entry');
    link.textContent = '';
    return;
  }
  const { entry } = suggestions[0];
  link.href = entryAddress(entry.number);
  link.dataset.entry = String(entry.number);
  setText(link, entry.word);
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
    // Until the page has built the suggestions' tables while idle (searchesPrepared), the first
    // suggestions of a query come a moment after its card, so that the first card never waits
    // for the tables; then with the card, so that nothing moves it after it is drawn.
    this.suggestAtOnce = false;
    byId('more-results').addEventListener('click', () => this.showMoreResults());
  }

  searchesPrepared() {
    this.suggestAtOnce = true;
  }

  // Answers `typed` as the window's input line would, with what it may have meant.
  showAnswer(typed) {
    const query = searchedQuery(typed);
    const results = this.dictionary.smartSearch(query, resultsPerPage);
    setText(byId('card'), composeResultCard(query, results, this.dictionary));
    this.query = query;
    this.asked = resultsPerPage;
    this.shownEntries = new Set(results.map((result) => result.entry));
    replaceChildren(byId('results'), results.map(resultItem));
    byId('more-results').hidden = results.length < resultsPerPage;
    const answer = ++this.answer;
    if (this.suggestAtOnce) {
      this.showSuggestions(query, answer);
      return;
    }
    showDidYouMean([]);
    byId('similar').hidden = true;
    delete byId('similar').dataset.query;
    setTimeout(() => this.showSuggestions(query, answer), 0);
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

  // Shows what `query` may have meant, unless a newer answer came first.
  showSuggestions(query, answer) {
    if (answer !== this.answer)
      return;
    const suggestions = this.dictionary.spellingSuggestions(query, maxSuggestions);
    showDidYouMean(suggestions);
    replaceChildren(byId('similar-words'), suggestions.map(suggestionItem));
    const section = byId('similar');
    section.hidden = suggestions.length === 0;
    section.dataset.query = query; // for tests and tools: the list is this query's
  }
}
