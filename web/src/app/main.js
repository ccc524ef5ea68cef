// The web edition's page: loads the dictionary that `varnell-dict publish` wrote beside it
// (dictionary-data.js, a classic script, so that a page opened from disk loads it too), then
// shows the view the address names and follows the address from then on.
import { loadDictionary } from '../engine/index.js';
import { byId } from './dom.js';
import { showEntry } from './entry-view.js';
import { showEntryList } from './list-view.js';
import { offerBook, showWholeDictionary } from './print-view.js';
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

// Shows the view of `route` and returns the page's title for it.
function showRoute(dictionary, entries, route) {
  showView(route.view);
  let title = pageTitle;
  if (route.view === 'translate' && route.query !== null) {
    if (byId('query').value !== route.query)
      byId('query').value = route.query;
    showAnswer(dictionary, route.query);
    if (route.query.trim() !== '')
      title = `${route.query.trim()} — ${pageTitle}`;
  } else if (route.view === 'entry') {
    const entry = showEntry(dictionary, entries, route.number);
    if (entry)
      title = `${entry.word} — ${pageTitle}`;
  } else if (route.view === 'vocabulary') {
    showVocabulary(dictionary);
  } else if (route.view === 'list') {
    showEntryList(entries, route.page);
  } else if (route.view === 'print') {
    showWholeDictionary(entries);
  }
  performance.mark('varnell-view-shown');
  return title;
}

// The tab's title, renamed only when it changes: each rename is a message to the browser and
// costs about a millisecond.
function setTitle(title) {
  if (document.title !== title)
    document.title = title;
}

// Shows the view of the address, once per change of address.
function follower(dictionary, entries) {
  let shownAddress = null;
  let pendingAddress = null;
  const markShown = (address) => {
    document.body.dataset.address = address; // for tests and tools: this address is shown
  };
  return {
    show(force = false) {
      if (!force && location.hash === shownAddress)
        return;
      shownAddress = location.hash;
      pendingAddress = null;
      setTitle(showRoute(dictionary, entries, routeOf(shownAddress)));
      markShown(shownAddress);
    },
    // A search from the form is answered at once (the same query again too). The address
    // follows in a task of its own, so that the answer never waits for the browser's history
    // (a new history entry costs it a few milliseconds); Back then returns to the previous
    // answer, and the address can be shared.
    answer(target) {
      shownAddress = target;
      pendingAddress = target;
      const title = showRoute(dictionary, entries, routeOf(target));
      setTimeout(() => {
        if (pendingAddress !== target)
          return; // a newer search or address came first
        pendingAddress = null;
        if (location.hash !== target)
          history.pushState(null, '', target);
        setTitle(title);
        markShown(target);
      }, 0);
    },
  };
}

function searchTyped(address) {
  address.answer(searchAddress(byId('query').value));
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

// Runs `steps` while the page is idle, as many at a time as the idle moment allows, then
// `done`. Where the browser has no idle callbacks, one step per task.
function runWhileIdle(steps, done) {
  let next = 0;
  const schedule = () => {
    if ('requestIdleCallback' in window)
      requestIdleCallback(runSome, { timeout: 1000 });
    else
      setTimeout(runSome, 0);
  };
  const runSome = (deadline) => {
    do
      steps[next++]();
    while (next < steps.length && deadline && deadline.timeRemaining() > 1);
    if (next < steps.length)
      schedule();
    else
      done();
  };
  if (steps.length === 0)
    done();
  else
    schedule();
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
  offerBook(data.pdf);
  window.addEventListener('hashchange', () => address.show());
  address.show();
  document.body.dataset.state = 'ready';
  keepForOffline();
  // The searches' tables are built before the next query needs them (for tests and tools: the
  // body says when all are built).
  runWhileIdle(dictionary.searchPreparations(), () => {
    performance.mark('varnell-searches-prepared');
    document.body.dataset.searches = 'prepared';
  });
}

start();
