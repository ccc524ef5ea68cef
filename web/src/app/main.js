// The web edition's page: loads the dictionary that `varnell-dict publish` wrote beside it
// (dictionary-data.js, a classic script, so that a page opened from disk loads it too), then
// shows the view the address names and follows the address from then on.
import { loadDictionary } from '../engine/index.js';
import { byId } from './dom.js';
import { showEntry } from './entry-view.js';
import { showEntryList } from './list-view.js';
import { showWholeDictionary } from './print-view.js';
import { listAddress, routeOf, searchAddress } from './routes.js';
import { showAnswer } from './search-view.js';
import { failedCard, failedStatus, loadedStatus, pageTitle } from './texts.js';
import { showVocabulary } from './vocabulary-view.js';

const views = ['translate', 'entry', 'vocabulary', 'list', 'print'];
const navigationOf = { translate: 'nav-translate', vocabulary: 'nav-vocabulary', list: 'nav-list', print: 'nav-print' };

function showView(name) {
  for (const view of views)
    byId(`${view}-view`).hidden = view !== name;
  for (const [view, id] of Object.entries(navigationOf)) {
    if (view === name)
      byId(id).setAttribute('aria-current', 'page');
    else
      byId(id).removeAttribute('aria-current');
  }
}

function showRoute(dictionary, entries, route) {
  showView(route.view);
  document.title = pageTitle;
  if (route.view === 'translate' && route.query !== null) {
    if (byId('query').value !== route.query)
      byId('query').value = route.query;
    showAnswer(dictionary, route.query);
    if (route.query.trim() !== '')
      document.title = `${route.query.trim()} — ${pageTitle}`;
  } else if (route.view === 'entry') {
    const entry = showEntry(dictionary, entries, route.number);
    if (entry)
      document.title = `${entry.word} — ${pageTitle}`;
  } else if (route.view === 'vocabulary') {
    showVocabulary(dictionary);
  } else if (route.view === 'list') {
    showEntryList(entries, route.page);
  } else if (route.view === 'print') {
    showWholeDictionary(entries);
  }
  performance.mark('varnell-view-shown');
}

// Shows the view of the address, once per change of address.
function follower(dictionary, entries) {
  let shownAddress = null;
  return {
    show(force = false) {
      if (!force && location.hash === shownAddress)
        return;
      shownAddress = location.hash;
      showRoute(dictionary, entries, routeOf(location.hash));
      document.body.dataset.address = shownAddress; // for tests and tools: this address is shown
    },
  };
}

// A search from the form is answered at once (the same query again too); the address follows,
// so that the answer can be shared and the browser's Back returns to the previous one.
function searchTyped(address) {
  const target = searchAddress(byId('query').value);
  if (location.hash !== target)
    history.pushState(null, '', target);
  address.show(true);
}

function showLoadFailure() {
  const status = byId('load-status');
  status.textContent = failedStatus;
  status.className = 'failed';
  byId('card').textContent = failedCard;
  byId('query').disabled = true;
  byId('search-button').disabled = true;
}

// Offline after the first visit, where the browser allows a service worker (served pages;
// a page opened from disk has everything at hand anyway).
function keepForOffline() {
  if ('serviceWorker' in navigator && location.protocol.startsWith('http'))
    navigator.serviceWorker.register('sw.js').catch(() => {});
}

function start() {
  const data = globalThis.varnellDictionaryData;
  if (!data || !Array.isArray(data.records)) {
    showLoadFailure();
    return;
  }
  const dictionary = loadDictionary(data);
  const entries = dictionary.recordsInFileOrder();
  performance.mark('varnell-dictionary-loaded');
  const status = byId('load-status');
  status.textContent = loadedStatus;
  status.className = 'loaded';

  const address = follower(dictionary, entries);
  byId('search-form').addEventListener('submit', (event) => {
    event.preventDefault();
    searchTyped(address);
  });
  byId('page-form').addEventListener('submit', (event) => {
    event.preventDefault();
    location.hash = listAddress(byId('page-number').value);
  });
  byId('print-button').addEventListener('click', () => window.print());
  window.addEventListener('hashchange', () => address.show());
  address.show();
  document.body.dataset.state = 'ready';
  keepForOffline();
}

start();
