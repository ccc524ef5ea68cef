// "整本词典": every entry sorted by word, for reading on paper (print.css lays it out in two
// columns). Drawn on the first visit only: the dictionary never changes while the page is open.
import { byId, element, replaceChildren, textElement } from './dom.js';

const collator = new Intl.Collator('und', { sensitivity: 'base', numeric: true });

function byWord(a, b) {
  return collator.compare(a.word, b.word) || a.number - b.number;
}

function phraseText(entry) {
  return entry.phrases.map((phrase, i) => `${phrase} ${entry.phraseTranslations[i] ?? ''}`).join('；');
}

function dictionaryEntry(entry) {
  const parts = [
    textElement('span', { className: 'word' }, entry.word), ' ',
    textElement('span', { className: 'pos' }, entry.partOfSpeech), ' ',
    textElement('span', { className: 'translation' }, entry.translation),
  ];
  if (entry.phrases.length > 0)
    parts.push(' ', textElement('span', { className: 'phrases' }, `◇ ${phraseText(entry)}`));
  return element('p', { className: 'dictionary-entry' }, parts);
}

// The printed book `varnell-dict publish --pdf` wrote beside the page (guide words, both
// directions), offered beside the print button; only a plain file name of the folder is linked.
export function offerBook(fileName) {
  if (typeof fileName !== 'string' || !/^[\w.-]+\.pdf$/.test(fileName) || byId('print-book'))
    return;
  byId('print-button').after(' ', element('a', { id: 'print-book', href: fileName, text: '排版好的 PDF（带书眉，两个方向）' }));
}

// Entries go in blocks that the browser lays out only when they come into view
// (content-visibility in styles.css): 100,000 entries laid out at once would take half a minute.
const entriesPerBlock = 200;

export function showWholeDictionary(entries) {
  const container = byId('whole-dictionary');
  if (container.childElementCount > 0)
    return;
  const sorted = [...entries].sort(byWord);
  const blocks = [];
  for (let first = 0; first < sorted.length; first += entriesPerBlock) {
    blocks.push(element('div', { className: 'dictionary-block' },
      sorted.slice(first, first + entriesPerBlock).map(dictionaryEntry)));
  }
  replaceChildren(container, blocks);
}
