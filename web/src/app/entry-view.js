// One entry on a page of its own (#/entry/N), so that an entry can be linked and shared.
import { byId, element, replaceChildren } from './dom.js';
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

function setNeighbour(link, number, exists) {
  link.href = entryAddress(number);
  link.setAttribute('aria-disabled', String(!exists));
  link.tabIndex = exists ? 0 : -1;
}

export function showEntry(dictionary, number, lastNumber) {
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
  setNeighbour(byId('entry-previous'), Math.max(number - 1, 1), number > 1);
  setNeighbour(byId('entry-next'), number + 1, number < lastNumber);
  return entry;
}
