// The spelling suggestions measured in node, for docs/performance.md.
//
//   node web/tools/suggestions.js quality PUBLISHED_FOLDER [ONE_TYPO_QUERIES] [TWO_TYPO_QUERIES]
// How often the word a learner meant comes first, and among the first five and ten, for a seeded
// set of misspelt headwords, in one run: the engine's spelling suggestions, the card (the smart
// search's first result), 全部结果 (its ten results), 相近的词 (the fuzzy word search), and two
// peer libraries indexing the same headwords: Fuse.js (its defaults) and MiniSearch (fuzzy 0.2,
// prefix); with the time each takes per query.
//
//   node web/tools/suggestions.js speed PUBLISHED_FOLDER...
// The time of one suggestion query per class of bench/bench_search.cpp's spellingSuggestions
// (CPU time, median and most of many runs), each dictionary in a process of its own.
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import Fuse from 'fuse.js';
import MiniSearch from 'minisearch';
import { loadDictionary, searchedQuery } from '../src/engine/index.js';
import { pastedText } from './pasted-text.js';
import { randomSource } from '../test/engine/random-source.js';

const [mode, folder, ...rest] = process.argv.slice(2);
if (!['quality', 'speed'].includes(mode) || !folder) {
  console.error('usage: node web/tools/suggestions.js quality PUBLISHED_FOLDER [ONE_TYPO_QUERIES] [TWO_TYPO_QUERIES]\n'
    + '       node web/tools/suggestions.js speed PUBLISHED_FOLDER...');
  process.exit(2);
}

function publishedData(published) {
  const scope = {};
  new Function('globalThis', readFileSync(join(published, 'dictionary-data.js'), 'utf8'))(scope);
  return scope.varnellDictionaryData;
}

const kinds = ['substitution', 'deletion', 'transposition', 'insertion'];

// One typo of `kind` in `word` (an array of characters), or null where there is none to make.
function typo(word, kind, alphabet, random) {
  const letters = [...word];
  const at = random.below(letters.length);
  if (kind === 'substitution') {
    const others = alphabet.filter((letter) => letter !== letters[at]);
    letters[at] = random.pick(others);
  } else if (kind === 'deletion') {
    letters.splice(at, 1);
  } else if (kind === 'insertion') {
    letters.splice(random.below(letters.length + 1), 0, random.pick(alphabet));
  } else if (kind === 'doubling') {
    letters.splice(at, 0, letters[at]);
  } else {
    const left = random.below(letters.length - 1);
    if (letters[left] === letters[left + 1]) return null;
    [letters[left], letters[left + 1]] = [letters[left + 1], letters[left]];
  }
  return letters;
}

// `perKind` queries of each kind: a headword of five letters or more with `edits` typos, the
// first of that kind and any others of any kind, never a word of the dictionary itself.
function misspelt(headwords, isWord, alphabet, seed, perKind, edits, ofKinds = kinds) {
  const random = randomSource(seed);
  const queries = [];
  for (const kind of ofKinds) {
    for (let made = 0; made < perKind; ) {
      const meant = random.pick(headwords);
      let letters = [...meant];
      for (let e = 0; e < edits && letters; e++) letters = typo(letters, e === 0 ? kind : random.pick(kinds), alphabet, random);
      if (!letters || isWord(letters.join(''))) continue;
      queries.push({ kind, meant, query: letters.join('') });
      made++;
    }
  }
  return queries;
}

// The places (0 first) of the word meant in each engine's list, and each engine's time per query.
function ranked(engines, queries) {
  const places = Object.fromEntries(Object.keys(engines).map((name) => [name, []]));
  const times = Object.fromEntries(Object.keys(engines).map((name) => [name, []]));
  for (const { meant, query } of queries) {
    for (const [name, words] of Object.entries(engines)) {
      let list = [];
      times[name].push(cpuMilliseconds(() => {
        list = words(query);
      }));
      places[name].push(list.map((word) => word.toLowerCase()).indexOf(meant));
    }
  }
  return { places, times };
}

const percent = (part, whole) => `${((100 * part) / whole).toFixed(1)} %`;

function quantile(sorted, q) {
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
}

function report(title, queries, { places, times }) {
  const counts = [...new Set(queries.map((q) => q.kind))].map((kind) => `${queries.filter((q) => q.kind === kind).length} ${kind}`);
  console.log(`\n${title}: ${queries.length} queries (${counts.join(', ')})`);
  console.log('| where the word meant appears | first | first 5 | first 10 | first, by kind (sub / del / trans / ins) | ms per query: median / 99 % / most |');
  console.log('|---|---|---|---|---|---|');
  for (const [name, list] of Object.entries(places)) {
    const within = (n) => list.filter((place) => place >= 0 && place < n).length;
    const byKind = kinds.map((kind) => {
      const ofKind = list.filter((_, i) => queries[i].kind === kind);
      return ofKind.length ? percent(ofKind.filter((place) => place === 0).length, ofKind.length) : '—';
    });
    const sorted = [...times[name]].sort((a, b) => a - b);
    const ms = [quantile(sorted, 0.5), quantile(sorted, 0.99), sorted.at(-1)].map((t) => t.toFixed(3)).join(' / ');
    console.log(`| ${name} | ${percent(within(1), list.length)} | ${percent(within(5), list.length)} | ${percent(within(10), list.length)} | ${byKind.join(' / ')} | ${ms} |`);
  }
}

function measureQuality(published, oneTypo = '1000', twoTypos = '400') {
  const data = publishedData(published);
  const dictionary = loadDictionary(data);
  for (const step of dictionary.searchPreparations()) step();
  const records = dictionary.recordsInFileOrder();
  const isWord = (text) => dictionary.lookupByWord(text) !== null;
  const keys = [...new Set(records.map((entry) => entry.word.toLowerCase()))];
  const headwords = keys.filter((word) => [...word].length >= 5 && /^\p{L}+$/u.test(word));
  // The letters of the headwords that one headword in a thousand or more holds: a typist's keys.
  const letterCounts = new Map();
  for (const word of headwords) for (const letter of new Set(word)) letterCounts.set(letter, (letterCounts.get(letter) ?? 0) + 1);
  const alphabet = [...letterCounts].filter(([, count]) => count * 1000 >= headwords.length).map(([letter]) => letter).sort();

  const startFuse = performance.now();
  const fuse = new Fuse(records.map((entry) => entry.word));
  const fuseMs = performance.now() - startFuse;
  const startMini = performance.now();
  const miniSearch = new MiniSearch({ fields: ['word'], storeFields: ['word'] });
  miniSearch.addAll(records.map((entry, id) => ({ id, word: entry.word })));
  const miniMs = performance.now() - startMini;

  const words = (results) => results.map((result) => result.entry.word);
  const engines = {
    'spelling suggestions': (query) => words(dictionary.spellingSuggestions(searchedQuery(query), 10)),
    'the card (first result)': (query) => words(dictionary.smartSearch(searchedQuery(query), 10).slice(0, 1)),
    '全部结果 (smartSearch, 10)': (query) => words(dictionary.smartSearch(searchedQuery(query), 10)),
    '相近的词 (fuzzyWordSearch, 10)': (query) => dictionary.fuzzyWordSearch(query, 10, 50).map(([word]) => word),
    'Fuse.js 7 (defaults)': (query) => fuse.search(query, { limit: 10 }).map((result) => result.item),
    'MiniSearch 7 (fuzzy 0.2, prefix)': (query) => miniSearch.search(query, { fuzzy: 0.2, prefix: true }).slice(0, 10).map((result) => result.word),
  };

  console.log(`${data.name}: ${records.length} headwords, ${headwords.length} of five letters or more; typo letters: ${alphabet.join('')}`);
  console.log(`indexing: Fuse.js ${fuseMs.toFixed(0)} ms, MiniSearch ${miniMs.toFixed(0)} ms`);
  // Each engine answers every query once first, so that none is timed while the script engine
  // still compiles it.
  const warmUp = misspelt(headwords, isWord, alphabet, 7, 25, 1);
  ranked(engines, warmUp);
  const one = misspelt(headwords, isWord, alphabet, 20240611, Math.ceil(Number(oneTypo) / 4), 1);
  report('One typo', one, ranked(engines, one));
  const two = misspelt(headwords, isWord, alphabet, 20240612, Math.ceil(Number(twoTypos) / 4), 2);
  report('Two typos', two, ranked(engines, two));
  // Not one of the four kinds: a letter typed twice, which a typist's finger makes more often than
  // a random letter added.
  const doubled = misspelt(headwords, isWord, alphabet, 20240613, 250, 1, ['doubling']);
  report('A letter typed twice', doubled, ranked(engines, doubled));
}

// Simplified Chinese text in traditional characters where the published tables know a form.
function traditionalWriter(variants) {
  const forms = new Map();
  for (const table of variants?.conversion ?? []) {
    for (const [traditional, simplified] of Object.entries(table)) {
      if (simplified !== null && simplified !== traditional && !forms.has(simplified)) forms.set(simplified, traditional);
    }
  }
  return (text) => [...text].map((c) => forms.get(c) ?? c).join('');
}

// The query classes of bench_search's spellingSuggestions, picked from the middle of the
// dictionary on as there.
function suggestionClasses(dictionary, data) {
  const entries = dictionary.recordsInFileOrder();
  const middle = entries.slice(Math.floor(entries.length / 2));
  const isWord = (text) => dictionary.lookupByWord(text) !== null;
  const misspelt = (length, misspell) => {
    for (const entry of middle) {
      const word = misspell(entry.word.toLowerCase());
      if (entry.word.length >= length && word && !isWord(word)) return word;
    }
    return null;
  };
  const pasted = (length) => pastedText(entries, length);
  const isTranslation = (text) => dictionary.lookupByExactChinese(text).length > 0;
  // Two characters that start a translation without being one, with a traditional form.
  const traditional = traditionalWriter(data.variants);
  const traditionalPart = middle.map((entry) => entry.translation.slice(0, 2))
    .filter((head) => head.length === 2 && dictionary.isMainlyChinese(head) && !isTranslation(head))
    .map((head) => [head, traditional(head)]).find(([head, written]) => written !== head)?.[1] ?? null;
  return {
    swapped_letters: misspelt(6, (word) => word.slice(0, 2) + word[3] + word[2] + word.slice(4)),
    three_letters: misspelt(4, (word) => word.slice(0, 3)),
    nine_letters: misspelt(8, (word) => word.slice(0, 3) + 'x' + word.slice(3)),
    phrase_translation: middle.map((entry) => entry.phraseTranslations[0]).find((text) => text && !isTranslation(text)) ?? null,
    traditional_translation_part: traditionalPart,
    text46: pasted(46),
    text1000: pasted(1000),
  };
}

function cpuMilliseconds(run) {
  const start = process.cpuUsage();
  run();
  const used = process.cpuUsage(start);
  return (used.user + used.system) / 1000;
}

function measureSpeed(published) {
  const data = publishedData(published);
  const dictionary = loadDictionary(data);
  for (const step of dictionary.searchPreparations()) step();
  console.log(`\n${data.name}: ${dictionary.recordsInFileOrder().length} entries; CPU ms per spellingSuggestions(query, 10): median / most of 200 runs`);
  console.log('| class | query | suggestions | median | most |');
  console.log('|---|---|---|---|---|');
  for (const [name, query] of Object.entries(suggestionClasses(dictionary, data))) {
    if (query === null) {
      console.log(`| ${name} | — | — | — | — |`);
      continue;
    }
    let suggestions = [];
    for (let i = 0; i < 20; i++) suggestions = dictionary.spellingSuggestions(query, 10);
    const times = Array.from({ length: 200 }, () => cpuMilliseconds(() => dictionary.spellingSuggestions(query, 10)));
    times.sort((a, b) => a - b);
    const shown = query.length > 24 ? `${query.slice(0, 20)}… (${query.length})` : query;
    console.log(`| ${name} | ${shown} | ${suggestions.length}, first ${suggestions[0]?.entry.word ?? 'none'} | ${quantile(times, 0.5).toFixed(3)} | ${times.at(-1).toFixed(3)} |`);
  }
}

if (mode === 'quality') measureQuality(folder, ...rest);
else for (const published of [folder, ...rest]) measureSpeed(published);
