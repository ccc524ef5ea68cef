// Every entry in file order, a page at a time: a page of 100 is drawn at once whatever the
// dictionary's size, where one list of 100,000 items would take seconds to lay out.
import { byId, element, replaceChildren, setPagerLink, textElement } from './dom.js';
import { entryAddress, listAddress } from './routes.js';

export const entriesPerPage = 100;

function listItem(entry) {
  return element('li', {}, [
    element('a', { href: entryAddress(entry.number) }, [
      element('span', { className: 'number', text: String(entry.number) }),
      textElement('span', { className: 'word' }, entry.word),
      textElement('span', { className: 'pos' }, entry.partOfSpeech),
      textElement('span', { className: 'translation' }, entry.translation),
    ]),
  ]);
}

// Shows page `page` (from 1; a page past the end shows the last) of `entries`.
export function showEntryList(entries, page) {
  const pages = Math.max(1, Math.ceil(entries.length / entriesPerPage));
  const shown = Math.min(page, pages);
  const first = (shown - 1) * entriesPerPage;
  const start = entries.length === 0 ? 0 : first + 1;
  const end = Math.min(first + entriesPerPage, entries.length);
  replaceChildren(byId('entry-list'), entries.slice(first, end).map(listItem));
  byId('list-position').textContent = `第 ${shown} / ${pages} 页（${start}–${end}，共 ${entries.length} 条）`;
  const pageNumber = byId('page-number');
  pageNumber.max = String(pages);
  pageNumber.value = String(shown);
  setPagerLink(byId('list-previous'), listAddress(Math.max(shown - 1, 1)), shown > 1);
  setPagerLink(byId('list-next'), listAddress(shown + 1), shown < pages);
}
