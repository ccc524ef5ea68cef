// The page's addresses: #/q/TEXT runs a search, #/entry/N shows entry N, #/vocabulary the grid of
// the first entries, #/list/P page P of every entry in file order, #/print the whole dictionary.
// Anything else is the translate page with no search.

function decodedText(text) {
  try {
    return decodeURIComponent(text);
  } catch {
    return text; // a stray % typed into the address: taken as it stands
  }
}

function positiveNumber(text) {
  return /^[0-9]{1,9}$/.test(text) && Number(text) > 0 ? Number(text) : null;
}

// An entry's number as the address writes it; null for what is no number at all.
function entryNumber(text) {
  return /^-?[0-9]{1,9}$/.test(text) ? Number(text) + 0 : null;
}

// The route named by the address's fragment `hash` ("#/q/tavu"), as {view, …}.
export function routeOf(hash) {
  const path = hash.startsWith('#') ? hash.slice(1) : hash;
  if (path.startsWith('/q/'))
    return { view: 'translate', query: decodedText(path.slice(3)) };
  // Every #/entry/… is the entry view, which says so when there is no such entry (0, -1, x).
  const entry = /^\/entry\/(.*)$/.exec(path);
  if (entry)
    return { view: 'entry', number: entryNumber(entry[1]) };
  if (path === '/vocabulary')
    return { view: 'vocabulary' };
  const list = /^\/list\/(.*)$/.exec(path);
  if (list)
    return { view: 'list', page: positiveNumber(list[1]) ?? 1 };
  if (path === '/print')
    return { view: 'print' };
  return { view: 'translate', query: null };
}

export function searchAddress(query) {
  return `#/q/${encodeURIComponent(query)}`;
}

export function entryAddress(number) {
  return `#/entry/${number}`;
}

export function listAddress(page) {
  return `#/list/${page}`;
}
