// What the browser tests share: the published pages, a static server, Debian's Chromium and
// the cards `varnell-dict lookup` prints for the same queries.
import { execFileSync, spawnSync } from 'node:child_process';
import { createReadStream, mkdirSync, mkdtempSync, statSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { extname, join, normalize, sep } from 'node:path';
import puppeteer from 'puppeteer-core';

export const varnellDict = process.env.VARNELL_DICT ?? 'varnell-dict';
const chromium = process.env.VARNELL_CHROMIUM ?? '/usr/bin/chromium';

export function temporaryFolder() {
  return mkdtempSync(join(tmpdir(), 'varnell-web-'));
}

// The five files of a dictionary, one line per entry: [word, translation, tags, phrases,
// phrase translations].
export function writeDictionary(folder, entries) {
  mkdirSync(folder, { recursive: true });
  const names = ['values.txt', 'keys.txt', 'wordtype.txt', 'phrases.txt', 'cn_phrases.txt'];
  names.forEach((name, column) =>
    writeFileSync(join(folder, name), entries.map((entry) => `${entry[column]}\n`).join('')));
  return folder;
}

export function publish(textsFolder, outputFolder, options = []) {
  execFileSync(varnellDict, ['publish', ...options, '--texts', textsFolder, outputFolder], { stdio: 'pipe' });
  return outputFolder;
}

const suggestionPrefix = '您要找的是不是：';

// What `varnell-dict lookup` prints for each query: {card, suggestion}, the card as lines without
// the blanks at their ends, and the line after it that names the likeliest word meant, or null.
// Cards have no empty line of their own: one empty line parts them.
export function lookupAnswers(textsFolder, queries) {
  const run = spawnSync(varnellDict, ['lookup', '--texts', textsFolder],
    { input: queries.map((query) => `${query}\n`).join(''), encoding: 'utf8', maxBuffer: 1 << 26 });
  const answers = run.stdout.replace(/\n$/, '').split('\n\n').map((text) => {
    const lines = cardLines(text);
    const suggested = lines.at(-1).startsWith(suggestionPrefix);
    return { card: suggested ? lines.slice(0, -1) : lines, suggestion: suggested ? lines.at(-1) : null };
  });
  if (answers.length !== queries.length)
    throw new Error(`lookup printed ${answers.length} cards for ${queries.length} queries`);
  return answers;
}

// The card `varnell-dict lookup` prints for each query, as lookupAnswers.
export function lookupCards(textsFolder, queries) {
  return lookupAnswers(textsFolder, queries).map((answer) => answer.card);
}

// The suggestions `varnell-dict lookup --json` gives for each query: {number, kind}.
export function lookupSuggestions(textsFolder, queries) {
  const run = spawnSync(varnellDict, ['lookup', '--json', '--texts', textsFolder],
    { input: queries.map((query) => `${query}\n`).join(''), encoding: 'utf8', maxBuffer: 1 << 26 });
  return run.stdout.trim().split('\n').map((line) => JSON.parse(line).suggestions
    .map(({ number, kind }) => ({ number, kind })));
}

// The results `varnell-dict lookup --json` gives for each query: {number, matchType, score}.
export function lookupResults(textsFolder, queries, limit = 10) {
  const run = spawnSync(varnellDict, ['lookup', '--json', '--limit', String(limit), '--texts', textsFolder],
    { input: queries.map((query) => `${query}\n`).join(''), encoding: 'utf8', maxBuffer: 1 << 26 });
  return run.stdout.trim().split('\n').map((line) => JSON.parse(line).results
    .map(({ number, matchType, score }) => ({ number, matchType, score })));
}

export function cardLines(text) {
  return text.split('\n').map((line) => line.trim());
}

const contentTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.svg': 'image/svg+xml',
  '.webmanifest': 'application/manifest+json',
};

// A static server for `folder` on 127.0.0.1 at a free port; close() stops it. As the usual
// static servers, it names each file's time of change (Last-Modified) and answers "not modified"
// (304) when asked whether a file changed since then: a browser keeps such a file and, for a
// while after (a tenth of its age), takes it from its cache without asking.
export async function serveFolder(folder) {
  const server = createServer((request, response) => {
    let path;
    try {
      path = normalize(decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname));
    } catch {
      response.writeHead(400).end();
      return;
    }
    let file = join(folder, path);
    if (!file.startsWith(folder + sep) && file !== folder) {
      response.writeHead(403).end();
      return;
    }
    let changed;
    try {
      if (statSync(file).isDirectory())
        file = join(file, 'index.html');
      changed = new Date(Math.floor(statSync(file).mtimeMs / 1000) * 1000);
    } catch {
      response.writeHead(404).end();
      return;
    }
    const since = Date.parse(request.headers['if-modified-since'] ?? '');
    if (since >= changed.getTime()) {
      response.writeHead(304).end();
      return;
    }
    response.writeHead(200, {
      'content-type': contentTypes[extname(file)] ?? 'application/octet-stream',
      'last-modified': changed.toUTCString(),
    });
    createReadStream(file).pipe(response);
  });
  server.keepAliveTimeout = 1;
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return {
    url: `http://127.0.0.1:${server.address().port}/`,
    close: () => new Promise((resolve) => { server.closeAllConnections(); server.close(resolve); }),
  };
}

// Debian's Chromium, headless, with a profile of its own and nothing that reaches the network.
export function launchBrowser(profileFolder) {
  return puppeteer.launch({
    executablePath: chromium,
    headless: true,
    userDataDir: profileFolder,
    args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage', '--disable-background-networking',
      '--disable-component-update', '--no-first-run', '--disable-sync'],
  });
}

// A page that records every script error and console error of the page it shows.
export async function watchedPage(context) {
  const page = await context.newPage();
  page.problems = [];
  page.on('pageerror', (error) => page.problems.push(`page error: ${error.message}`));
  page.on('console', (message) => {
    if (message.type() === 'error')
      page.problems.push(`console: ${message.text()}`);
  });
  return page;
}

// Whether the page shows its answer to the address, 相近的词 included.
function answered() {
  return document.body.dataset.address === location.hash
    && (!location.hash.startsWith('#/q/') || document.getElementById('similar').dataset.query !== undefined);
}

export async function openPage(page, url) {
  await page.goto(url, { waitUntil: 'load' });
  await page.waitForSelector('body[data-state="ready"]');
  await page.waitForFunction(answered);
}

// The card's lines after searching `query` through the page's own form.
export function searchInPage(page, query) {
  return page.evaluate((typed) => {
    document.getElementById('query').value = typed;
    document.getElementById('search-form').requestSubmit();
    return document.getElementById('card').innerText;
  }, query).then(cardLines);
}

// Shows the view of the address fragment `fragment` ("#/q/tavu") in the page already open.
export async function show(page, fragment) {
  await page.evaluate((hash) => { location.hash = hash; }, fragment);
  await page.waitForFunction(answered);
}
