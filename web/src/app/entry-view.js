// One entry on a page of its own (#/entry/N), so that an entry can be linked and shared.
import { byId, element, replaceChildren, setPagerLink } from './dom.js';
import { entryAddress } from './routes.js';

function field(label, value) {
  return [element('dt', { text: label }), element('dd', {}, [value])];
}

function phraseList(entry) {
  return element('ul', {}, entry.phrases.map((phrase, i) =>
    element('li', {}, [
      element('span', { className: 'word', text: phrase }),
      ` — ${entry.phraseTranslations[i] ?? ''}`,
    ])));
}

function setNeighbour(link, entry) {
  setPagerLink(link, entryAddress(entry ? entry.number : 1), Boolean(entry));
}

// The position of the first of `entries` (in file order) numbered `number` or more.
function positionOf(entries, number) {
  let low = 0;
  let high = entries.length;
  while (low < high) {
    const middle = (low + high) >> 1;
    if (entries[middle].number < number)
      low = middle + 1;
    else
      high = middle;
  }
  return low;
}

// Shows entry `number` of `entries` (in file order), with links to the entries before and after
// it; a line without an entry (a gap) is passed over.
export function showEntry(dictionary, entries, number) {
  const entry = dictionary.lookupByNumIndex(number);
  byId('entry-heading').textContent = entry ? `第 ${number} 条：${entry.word}` : `没有第 ${number} 条`;
  const details = entry ? [element('dl', { className: 'entry' }, [
    ...field('编号', String(entry.number)),
    ...field('词', element('span', { className: 'word', text: entry.word })),
    ...field('词性', entry.partOfSpeech),
    ...field('翻译', entry.translation),
    ...field('相关词组', phraseList(entry)),
    ...field('例句', element('span', { className: 'example',
      text: dictionary.createExSentence(entry.word, entry.translation, entry.partOfSpeech) })),
  ])] : [];
  replaceChildren(byId('entry'), details);
  const position = positionOf(entries, number);
  const next = entries[position]?.number === number ? position + 1 : position;
  setNeighbour(byId('entry-previous'), entries[position - 1]);
  setNeighbour(byId('entry-next'), entries[next]);
  return entry;
}
