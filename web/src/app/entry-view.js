// One entry on a page of its own (#/entry/N), so that an entry can be linked and shared.
import { byId, element, replaceChildren, setPagerLink, textElement } from './dom.js';
import { entryAddress } from './routes.js';

// A field of the entry, left out where the entry has nothing in it.
function field(label, value) {
  return value === null ? [] : [element('dt', { text: label }), element('dd', {}, [value])];
}

function textField(label, text, className = '') {
  return field(label, text === '' ? null : textElement('span', { className }, text));
}

function phraseList(entry) {
  if (entry.phrases.length === 0)
    return null;
  return element('ul', {}, entry.phrases.map((phrase, i) => {
    const translation = entry.phraseTranslations[i] ?? '';
    return element('li', {}, [
      textElement('span', { className: 'word' }, phrase),
      ...translation === '' ? [] : [' — ', textElement('span', {}, translation)],
    ]);
  }));
}

// The example sentence, where the entry's part of speech has one (its first line is the
// sentence, the second its translation).
function example(dictionary, entry) {
  const sentence = dictionary.createExSentence(entry.word, entry.translation, entry.partOfSpeech);
  return sentence.startsWith('\n') ? '' : sentence;
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

// The heading names the entry's word (in its own language), or says there is no such entry.
function showHeading(entry, number) {
  const heading = byId('entry-heading');
  if (entry)
    heading.replaceChildren(`第 ${number} 条：`, textElement('span', {}, entry.word));
  else
    heading.textContent = number === null ? '没有这个词条' : `没有第 ${number} 条`;
}

// Shows entry `number` of `entries` (in file order), with links to the entries before and after
// it; a line without an entry (a gap) is passed over. `number` is null for an address that
// names no number; 0, a negative number or one past the end name no entry either.
export function showEntry(dictionary, entries, number) {
  const entry = number === null ? null : dictionary.lookupByNumIndex(number);
  showHeading(entry, number);
  const details = entry ? [element('dl', { className: 'entry' }, [
    ...field('编号', String(entry.number)),
    ...textField('词', entry.word, 'word'),
    ...textField('词性', entry.partOfSpeech),
    ...textField('翻译', entry.translation),
    ...field('相关词组', phraseList(entry)),
    ...textField('例句', example(dictionary, entry), 'example'),
  ])] : [];
  replaceChildren(byId('entry'), details);
  const position = positionOf(entries, number ?? 0);
  const next = entries[position]?.number === number ? position + 1 : position;
  setNeighbour(byId('entry-previous'), entries[position - 1]);
  setNeighbour(byId('entry-next'), entries[next]);
  return entry;
}

