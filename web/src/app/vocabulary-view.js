// The window's vocabulary page: entries 1 to 51, each found by its number through the smart
// search, in a grid; a number without an entry leaves its cell empty, as in the window.
import { byId, element, replaceChildren, textElement } from './dom.js';
import { entryAddress } from './routes.js';

const gridEntries = 51;

function vocabularyCard(entry) {
  return element('li', {}, [
    textElement('a', { href: entryAddress(entry.number) }, `${entry.word} ${entry.partOfSpeech}\n${entry.translation}`),
  ]);
}

export function showVocabulary(dictionary) {
  const cells = [];
  for (let number = 1; number <= gridEntries; ++number) {
    const [result] = dictionary.smartSearch(String(number), 1);
    cells.push(result ? vocabularyCard(result.entry) : element('li', { 'aria-hidden': 'true' }));
  }
  replaceChildren(byId('vocabulary'), cells);
}
