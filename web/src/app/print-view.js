// "整本词典": every entry sorted by word, for reading on paper (print.css lays it out in two
// columns). Drawn on the first visit only: the dictionary never changes while the page is open.
import { byId, element, replaceChildren } from './dom.js';

const collator = new Intl.Collator('und', { sensitivity: 'base', numeric: true });

function byWord(a, b) {
  return collator.compare(a.word, b.word) || a.number - b.number;
}

function phraseText(entry) {
  return entry.phrases.map((phrase, i) => `${phrase} ${entry.phraseTranslations[i] ?? ''}`).join('；');
}

function dictionaryEntry(entry) {
  const parts = [
    element('span', { className: 'word', text: entry.word }), ' ',
    element('span', { className: 'pos', text: entry.partOfSpeech }), ' ',
    element('span', { className: 'translation', text: entry.translation }),
  ];
  if (entry.phrases.length > 0)
    parts.push(' ', element('span', { className: 'phrases', text: `◇ ${phraseText(entry)}` }));
  return element('p', { className: 'dictionary-entry' }, parts);
}

export function showWholeDictionary(entries) {
  const container = byId('whole-dictionary');
  if (container.childElementCount > 0)
    return;
  replaceChildren(container, [...entries].sort(byWord).map(dictionaryEntry));
}
