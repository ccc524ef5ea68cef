// The web edition's page: loads the dictionary that `varnell-dict publish` wrote beside it
// (dictionary-data.js, a classic script, so that a page opened from disk loads it too), then
// shows the view the address names and follows the address from then on.
import { loadDictionary } from '../engine/index.js';
import { byId, setText } from './dom.js';
import { showEntry } from './entry-view.js';
import { showEntryList } from './list-view.js';
import { offerBook, showWholeDictionary } from './print-view.js';
import { listAddress, routeOf, searchAddress } from './routes.js';
import { SearchView } from './search-view.js';
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

// Shows the view of `route` in `page` (the dictionary, its entries in file order, its title and
// the translate page) and returns the tab's title for it.
function showRoute(page, route) {
  const { dictionary, entries } = page;
  showView(route.view);
  let title = page.title;
  if (route.view === 'translate' && route.query !== null) {
    if (byId('query').value !== route.query)
      byId('query').value = route.query;
    page.search.showAnswer(route.query);
    if (route.query.trim() !== '')
      title = `${route.query.trim()} — ${page.title}`;
  } else if (route.view === 'entry') {
    const entry = showEntry(dictionary, entries, route.number);
    if (entry)
      title = `${entry.word} — ${page.title}`;
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
function follower(page) {
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
      setTitle(showRoute(page, routeOf(shownAddress)));
      markShown(shownAddress);
    },
    // A search from the form is answered at once (the same query again too). The address
    // follows in a task of its own, so that the answer never waits for the browser's history
    // (a new history entry costs it a few milliseconds); Back then returns to the previous
    // answer, and the address can be shared. `replace` puts the address in place of the
    // current one instead (a word still being typed).
    answer(target, replace = false) {
      shownAddress = target;
      pendingAddress = target;
      const title = showRoute(page, routeOf(target));
      setTimeout(() => {
        if (pendingAddress !== target)
          return; // a newer search or address came first
        pendingAddress = null;
        if (location.hash !== target && replace)
          history.replaceState(null, '', target);
        else if (location.hash !== target)
          history.pushState(null, '', target);
        setTitle(title);
        markShown(target);
      }, 0);
    },
  };
}

// Answers as the reader types, once typing pauses: each answer takes a few milliseconds, and one
// per key would queue them behind a fast typist. The first answer of a word gets an address of
// its own (Back returns to the answer before); the following ones while typing it replace it.
const typingPause = 250; // ms

function answerWhileTyping(address) {
  const field = byId('query');
  let timer = null;
  let typing = false; // an answer of the word being typed has an address of its own already
  const answerTyped = () => {
    timer = null;
    if (field.value.trim() === '')
      return; // a field emptied to type anew: the last answer stays until then
    performance.mark('varnell-typing-paused'); // for tools: the answer to typing starts
    address.answer(searchAddress(field.value), typing);
    typing = true;
  };
  const typed = (event) => {
    clearTimeout(timer);
    timer = null;
    // What an input method shows while composing is no word yet; the composition's end (after
    // its last input event in some browsers, before it in others) is one.
    if (!event.isComposing)
      timer = setTimeout(answerTyped, typingPause);
  };
  field.addEventListener('input', typed);
  field.addEventListener('compositionend', typed);
  return {
    // Return (or the button): the answer at once, as the window gives it, and the field let go
    // of, so that a phone's keyboard no longer covers the answer.
    submit() {
      clearTimeout(timer);
      timer = null;
      address.answer(searchAddress(field.value), typing);
      typing = false;
      field.blur();
    },
    // A search from elsewhere (the address, Back) ends the word being typed.
    stop() {
      clearTimeout(timer);
      timer = null;
      typing = false;
    },
  };
}

// "/" anywhere but in a text field goes to the search field, as on many sites; from another
// view, to the translate page first (a hidden field takes no focus).
function focusSearchOnSlash(address) {
  document.addEventListener('keydown', (event) => {
    if (event.key !== '/' || event.ctrlKey || event.altKey || event.metaKey || event.defaultPrevented)
      return;
    const target = event.target;
    if (target instanceof HTMLInputElement || target instanceof HTMLTextAreaElement
        || target instanceof HTMLSelectElement || target.isContentEditable)
      return;
    event.preventDefault();
    if (byId('translate-view').hidden) {
      history.pushState(null, '', '#/');
      address.show();
    }
    byId('query').focus();
    byId('query').select();
  });
}

// What the page says of the dictionary itself: that it loaded, its title (which `varnell-dict
// publish` also wrote into index.html) and the legend of 禾岚's parts of speech, only where the
// dictionary uses them.
function showDictionaryInfo(page, data) {
  const status = byId('load-status');
  status.textContent = loadedStatus;
  status.className = 'loaded';
  setText(byId('page-title'), page.title);
  byId('legend-tags').hidden = data.legend === false;
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
  if (!data || typeof data.words !== 'string') {
    showLoadFailure();
    return;
  }
  const dictionary = loadDictionary(data);
  performance.mark('varnell-dictionary-loaded');
  const page = {
    dictionary,
    entries: dictionary.recordsInFileOrder(),
    title: typeof data.title === 'string' && data.title.trim() !== '' ? data.title : pageTitle,
    search: new SearchView(dictionary),
  };
  showDictionaryInfo(page, data);

  const address = follower(page);
  const typer = answerWhileTyping(address);
  byId('search-form').addEventListener('submit', (event) => {
    event.preventDefault();
    typer.submit();
  });
  focusSearchOnSlash(address);
  byId('page-form').addEventListener('submit', (event) => {
    event.preventDefault();
    location.hash = listAddress(byId('page-number').value);
  });
  byId('print-button').addEventListener('click', () => window.print());
  offerBook(data.pdf);
  window.addEventListener('hashchange', () => {
    typer.stop();
    address.show();
  });
  address.show();
  document.body.dataset.state = 'ready';
  keepForOffline();
  // The searches' tables are built before the next query needs them (for tests and tools: the
  // body says when all are built).
  runWhileIdle(dictionary.searchPreparations(), () => {
    page.search.searchesPrepared();
    performance.mark('varnell-searches-prepared');
    document.body.dataset.searches = 'prepared';
  });
}

start();
