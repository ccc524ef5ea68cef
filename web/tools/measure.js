// The published page's speed in Debian's Chromium, for docs/performance.md: from opening the
// page to its first answer, each query class of bench/bench_search.cpp answered through the
// page's form (search, card and lists drawn), and the published size against the five files,
// both compressed.
//   node web/tools/measure.js [--cpu-slowdown=N] NAME=PUBLISHED_FOLDER=TEXTS_FOLDER ...
// --cpu-slowdown=4 slows Chromium's CPU four times (as a phone) for the first answers.
import { readFileSync, readdirSync } from 'node:fs';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';
import { loadDictionary } from '../src/engine/index.js';
import { pastedText } from './pasted-text.js';
import { launchBrowser, openPage, serveFolder, temporaryFolder } from '../test/browser/support.js';

const fileNames = ['values.txt', 'keys.txt', 'wordtype.txt', 'phrases.txt', 'cn_phrases.txt'];

function compressedSize(folder, names) {
  return names.reduce((sum, name) => sum + gzipSync(readFileSync(join(folder, name)), { level: 9 }).length, 0);
}

function publishedDictionary(folder) {
  const script = readFileSync(join(folder, 'dictionary-data.js'), 'utf8');
  const scope = {};
  new Function('globalThis', script)(scope);
  return loadDictionary(scope.varnellDictionaryData);
}

// The query classes of bench_search, picked from the middle of the dictionary on as there.
function queryClasses(dictionary) {
  const entries = dictionary.recordsInFileOrder();
  const from = (fraction) => entries.slice(Math.floor(entries.length * fraction));
  const isWord = (text) => dictionary.lookupByWord(text) !== null;
  const isTranslation = (text) => dictionary.lookupByExactChinese(text).length > 0;
  const pick = (list, make) => { for (const item of list) { const query = make(item); if (query) return query; } return null; };
  const letterStartingNoWord = [...'qrstuvwxyzabcdefghijklmnop']
    .find((letter) => !entries.some((entry) => entry.word.toLowerCase().startsWith(letter))) ?? null;
  const pasted = (length) => pastedText(entries, length);
  return {
    entry_number: String(Math.floor(entries.length / 2) + 1),
    exact_word: pick(from(1 / 3), (entry) => entry.word.length >= 6 && entry.word),
    word_only_in_phrases: pick(from(1 / 2), (entry) => entry.phrases.flatMap((phrase) => phrase.split(' '))
      .find((piece) => piece !== '' && !isWord(piece))),
    translation_exact: entries[Math.floor(entries.length / 4)].translation,
    translation_part: pick(from(1 / 2), (entry) => {
      const head = entry.translation.slice(0, 2);
      if (head.length === 2 && dictionary.isMainlyChinese(head) && !isTranslation(head) && !isWord(head))
        return head;
      const words = entry.translation.split(/\W+/u).filter(Boolean);
      return words.length > 1 && words[0].length >= 4 && !isTranslation(words[0]) && !isWord(words[0]) && words[0];
    }),
    misspelt_word_fuzzy: pick(from(1 / 2), (entry) => {
      const word = [...entry.word.toLowerCase()];
      if (word.length < 6 || word[2] === word[3])
        return null;
      [word[2], word[3]] = [word[3], word[2]];
      const text = word.join('');
      return !isWord(text) && dictionary.findPhrasesContainingWord(text).length === 0 && text;
    }),
    phrase_with_space: pick(from(1 / 2), (entry) => entry.phrases[0]),
    chinese_found_nowhere: (() => {
      let text = '';
      for (const entry of from(1 / 2)) {
        const last = entry.translation.slice(-1);
        if (last && dictionary.isMainlyChinese(last))
          text = last + text;
        if (text.length >= 2 && dictionary.searchChineseDynamic(text).length === 0)
          return text;
        if (text.length >= 4)
          return null;
      }
      return null;
    })(),
    letter_starting_no_word: letterStartingNoWord,
    text300_letter_starting_no_word: letterStartingNoWord && pasted(299) && letterStartingNoWord + pasted(299),
    text1000_letter_starting_no_word: letterStartingNoWord && pasted(999) && letterStartingNoWord + pasted(999),
    text1000_letter_starting_words: pasted(1000),
  };
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

async function firstAnswer(browser, url, query, slowdown) {
  const times = [];
  for (let run = 0; run < 5; ++run) {
    const context = await browser.createBrowserContext(); // a first visit each time
    const page = await context.newPage();
    if (slowdown > 1)
      await (await page.createCDPSession()).send('Emulation.setCPUThrottlingRate', { rate: slowdown });
    await openPage(page, `${url}#/q/${encodeURIComponent(query)}`);
    times.push(await page.evaluate(() => performance.getEntriesByName('varnell-view-shown')[0].startTime));
    await context.close();
  }
  return `${median(times).toFixed(0)} ms (${times.map((time) => time.toFixed(0)).join(', ')})`;
}

// Typing to card: each query typed as a reader types (a key every 80 ms), then the pause; from
// the moment the page takes the pause as the end of the word to the card, lists and suggestions
// put in (and to the frame after them, which includes their layout and the wait for a frame).
async function typedAnswers(browser, url, queries) {
  const page = await browser.newPage();
  await openPage(page, url);
  await page.waitForSelector('body[data-searches="prepared"]');
  await new Promise((resolve) => { setTimeout(resolve, 1000); });
  // Laid out: a first animation frame comes after the page's style and layout of the answer.
  await page.evaluate(() => {
    new PerformanceObserver((list) => {
      for (const entry of list.getEntries()) {
        if (entry.name === 'varnell-typing-paused')
          requestAnimationFrame(() => setTimeout(() => performance.mark('varnell-typed-answer-drawn'), 0));
      }
    }).observe({ type: 'mark' });
  });
  const times = {};
  for (const [name, query] of Object.entries(queries)) {
    times[name] = [];
    for (let round = 0; round < 3; ++round) {
      const drawnBefore = await page.evaluate(() => performance.getEntriesByName('varnell-typed-answer-drawn').length);
      await page.$eval('#query', (field) => { field.value = ''; field.focus(); });
      await page.keyboard.type(query.slice(0, 40), { delay: 80 });
      await page.waitForFunction((count) => performance.getEntriesByName('varnell-typed-answer-drawn').length > count,
        {}, drawnBefore);
      times[name].push(await page.evaluate(() => {
        const paused = performance.getEntriesByName('varnell-typing-paused').at(-1).startTime;
        const shown = performance.getEntriesByName('varnell-view-shown').filter((mark) => mark.startTime >= paused)[0].startTime;
        const drawn = performance.getEntriesByName('varnell-typed-answer-drawn').at(-1).startTime;
        return `${(shown - paused).toFixed(1)} (${(drawn - paused).toFixed(1)})`;
      }));
    }
  }
  await page.close();
  return times;
}

async function answerTimes(browser, url, queries) {
  const page = await browser.newPage();
  await openPage(page, url);
  // As a reader who types a moment after the page is ready: its tables built while idle, and
  // the script engine's own work after that (collecting, compiling) done.
  await page.waitForSelector('body[data-searches="prepared"]');
  const prepared = await page.evaluate(() => performance.getEntriesByName('varnell-searches-prepared')[0].startTime
    - performance.getEntriesByName('varnell-view-shown')[0].startTime);
  await new Promise((resolve) => { setTimeout(resolve, 1000); });
  const times = await page.evaluate((all) => {
    // Search, card, lists and suggestions, and their layout.
    const answer = (query) => {
      document.getElementById('query').value = query;
      const start = performance.now();
      document.getElementById('search-form').requestSubmit();
      void document.getElementById('main').offsetHeight;
      return performance.now() - start;
    };
    const firstCall = Object.fromEntries(Object.entries(all).map(([name, query]) => [name, answer(query)]));
    const runs = Object.fromEntries(Object.keys(all).map((name) => [name, []]));
    for (let round = 0; round < 7; ++round) {
      for (const [name, query] of Object.entries(all))
        runs[name].push(answer(query));
    }
    return { firstCall, runs };
  }, queries);
  await page.close();
  return { ...times, prepared };
}

const browser = await launchBrowser(temporaryFolder());
try {
  const options = process.argv.slice(2).filter((argument) => argument.startsWith('--'));
  const slowdown = Number(options.find((option) => option.startsWith('--cpu-slowdown='))?.split('=')[1] ?? 1);
  for (const argument of process.argv.slice(2).filter((argument) => !argument.startsWith('--'))) {
    const [name, published, texts] = argument.split('=');
    const dictionary = publishedDictionary(published);
    const queries = Object.fromEntries(Object.entries(queryClasses(dictionary)).filter(([, query]) => query));
    const server = await serveFolder(published);
    const url = `${server.url}index.html`;
    console.log(`## ${name}: ${dictionary.recordsInFileOrder().length} records`);
    const slowed = slowdown > 1 ? `, CPU ${slowdown}× slower` : '';
    console.log(`first answer, exact word${slowed}: ${await firstAnswer(browser, url, queries.exact_word, slowdown)}`);
    console.log(`first answer, misspelt word${slowed}: ${await firstAnswer(browser, url, queries.misspelt_word_fuzzy ?? queries.exact_word, slowdown)}`);
    const { firstCall, runs, prepared } = await answerTimes(browser, url, queries);
    console.log(`tables built while idle: ${prepared.toFixed(0)} ms after the first view`);
    for (const [query, times] of Object.entries(runs))
      console.log(`${query}: median ${median(times).toFixed(1)} ms, worst ${Math.max(...times).toFixed(1)} ms, first call ${firstCall[query].toFixed(1)} ms (${JSON.stringify(queries[query].slice(0, 24))})`);
    const typed = await typedAnswers(browser, url, Object.fromEntries(['exact_word', 'misspelt_word_fuzzy',
      'translation_part', 'phrase_with_space'].filter((name) => queries[name]).map((name) => [name, queries[name]])));
    for (const [query, times] of Object.entries(typed))
      console.log(`typed ${query}: typing paused to answer shown (and to the frame after) ${times.join(', ')} ms`);
    const publishedFiles = readdirSync(published);
    const size = compressedSize(published, publishedFiles);
    const textSize = compressedSize(texts, fileNames);
    console.log(`compressed: published ${size} bytes, five files ${textSize} bytes, ratio ${(size / textSize).toFixed(2)}`);
    console.log(`compressed data file alone: ${compressedSize(published, ['dictionary-data.js'])} bytes`);
    await server.close();
  }
} finally {
  await browser.close();
}
