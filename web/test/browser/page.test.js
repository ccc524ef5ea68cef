// The published page in Debian's Chromium: it answers as `varnell-dict lookup`, served and from
// disk, offline after a first visit, on a phone, in the dark, accessibly, on paper, and shows
// every text of a dictionary as text. One browser serves every test.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, describe, test } from 'node:test';
import { sampleQueries } from './queries.js';
import {
  cardLines, launchBrowser, lookupCards, lookupResults, openPage, publish, searchInPage, serveFolder, show,
  temporaryFolder, varnellDict, watchedPage, writeDictionary,
} from './support.js';

const shippedTexts = process.env.VARNELL_SHIPPED_TEXTS;

const axeSource = readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');

// A dictionary whose every field tries to become markup or script.
const hostileEntries = [
  ['tavu', '<img src=x onerror="window.pwned=1">', 'ka.', 'tavu <b>mel</b>', '<script>window.pwned=2</script>'],
  ['', '', '', '', ''], // a gap: no entry 2
  ['<b>bold</b>', '粗体', '<i>ko.</i>', '', ''],
  ['amp', '&amp; &lt;', 'ko.', '', ''],
];

let folder, shipped, server, browser, context;

before(async () => {
  folder = temporaryFolder();
  shipped = publish(shippedTexts, join(folder, 'shipped'));
  publish(writeDictionary(join(folder, 'hostile-texts'), hostileEntries), join(folder, 'shipped', 'hostile'));
  server = await serveFolder(folder);
  browser = await launchBrowser(join(folder, 'profile'));
  context = await browser.createBrowserContext();
});

after(async () => {
  await browser?.close();
  await server?.close();
  rmSync(folder, { recursive: true, force: true });
});

async function shownPage(url, options = {}) {
  const page = await watchedPage(options.context ?? context);
  if (options.viewport)
    await page.setViewport(options.viewport);
  if (options.scheme)
    await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: options.scheme }]);
  await openPage(page, url);
  return page;
}

async function closeCleanly(page) {
  assert.deepEqual(page.problems, [], 'the page reported errors');
  await page.close();
}

function shippedUrl(fragment = '') {
  return `${server.url}shipped/index.html${fragment}`;
}

describe('answers as varnell-dict lookup', () => {
  test('a query typed into the field and sent with Enter, and with the button', async () => {
    const page = await shownPage(shippedUrl());
    const [expected] = lookupCards(shippedTexts, ['Tavu']);
    await page.type('#query', 'Tavu');
    await page.keyboard.press('Enter');
    assert.deepEqual(cardLines(await page.$eval('#card', (card) => card.innerText)), expected);
    await page.waitForFunction(() => document.body.dataset.address === '#/q/Tavu');
    assert.equal(await page.evaluate(() => location.hash), '#/q/Tavu');

    await page.$eval('#query', (field) => { field.value = ''; });
    await page.type('#query', '飞行');
    await page.click('#search-button');
    assert.deepEqual(cardLines(await page.$eval('#card', (card) => card.innerText)),
      lookupCards(shippedTexts, ['飞行'])[0]);
    // The address follows each answer, so Back returns to the one before.
    await page.waitForFunction(() => document.body.dataset.address === '#/q/%E9%A3%9E%E8%A1%8C');
    await page.goBack();
    await page.waitForFunction(() => document.body.dataset.address === '#/q/Tavu');
    assert.deepEqual(cardLines(await page.$eval('#card', (card) => card.innerText)), expected);
    await closeCleanly(page);
  });

  test('200 sampled queries: the same card, and one list item per result', async () => {
    const queries = sampleQueries(shippedTexts, 200);
    const expectedCards = lookupCards(shippedTexts, queries);
    const expectedResults = lookupResults(shippedTexts, queries);
    const page = await shownPage(shippedUrl());
    // Answered from the tables the page builds while idle (the other tests search before).
    await page.waitForSelector('body[data-searches="prepared"]');
    const shown = await page.evaluate((all) => all.map((typed) => {
      document.getElementById('query').value = typed;
      document.getElementById('search-form').requestSubmit();
      return {
        card: document.getElementById('card').innerText,
        results: [...document.querySelectorAll('#results > li')].map((item) => ({
          number: Number(item.querySelector('a').getAttribute('href').replace('#/entry/', '')),
          matchType: item.dataset.matchType,
          score: Number(item.dataset.score),
        })),
      };
    }), queries);
    const differences = queries.flatMap((query, i) => [
      ...JSON.stringify(shown[i].results) === JSON.stringify(expectedResults[i]) ? []
        : [`results of ${JSON.stringify(query)}: ${JSON.stringify(shown[i].results)} against ${JSON.stringify(expectedResults[i])}`],
      ...JSON.stringify(cardLines(shown[i].card)) === JSON.stringify(expectedCards[i]) ? []
        : [`card of ${JSON.stringify(query)}: ${JSON.stringify(shown[i].card)}`],
    ]);
    assert.deepEqual(differences, []);
    await closeCleanly(page);
  });

  test('opened from disk (file://), #/q/TEXT searching at once', async () => {
    const page = await shownPage(`${pathToFileURL(join(shipped, 'index.html')).href}#/q/${encodeURIComponent(' 12 ')}`);
    assert.deepEqual(cardLines(await page.$eval('#card', (card) => card.innerText)),
      lookupCards(shippedTexts, [' 12 '])[0]);
    assert.deepEqual(await searchInPage(page, 'tavuu'), lookupCards(shippedTexts, ['tavuu'])[0]);
    await closeCleanly(page);
  });
});

describe('beyond the window', () => {
  test('#/entry/N shows entry N, and each result links to its entry', async () => {
    const page = await shownPage(shippedUrl('#/entry/3'));
    const word = readFileSync(join(shippedTexts, 'values.txt'), 'utf8').split('\n')[2];
    assert.match(await page.$eval('#entry-heading', (heading) => heading.textContent), new RegExp(`3.*${word}`));
    assert.equal(await page.$eval('#entry-view', (view) => view.hidden), false);
    const neighbours = async () => page.$$eval('#entry-view .pager-link:not([aria-disabled="true"])',
      (links) => links.map((link) => link.getAttribute('href')));
    assert.deepEqual(await neighbours(), ['#/entry/2', '#/entry/4']);
    await page.goto(`${server.url}shipped/hostile/index.html#/entry/1`);
    await page.waitForFunction(() => document.body.dataset.address === '#/entry/1');
    assert.deepEqual(await neighbours(), ['#/entry/3'], 'the gap at line 2 is passed over');
    await show(page, '#/entry/4');
    assert.deepEqual(await neighbours(), ['#/entry/3']);
    await page.goto(shippedUrl('#/q/tavu'));
    await page.waitForFunction(() => document.body.dataset.address === '#/q/tavu');
    await page.click('#results > li:first-child > a');
    await page.waitForFunction(() => !document.getElementById('entry-view').hidden);
    assert.match(await page.$eval('#entry-heading', (heading) => heading.textContent), /tavu/);
    await closeCleanly(page);
  });

  test('a misspelt word lists the words it may have meant under 相近的词', async () => {
    const page = await shownPage(shippedUrl('#/q/tavuu'));
    await page.waitForSelector('#similar[data-query="tavuu"]');
    assert.equal(await page.$eval('#similar', (section) => section.hidden), false);
    const similar = await page.$$eval('#similar-words .word', (words) => words.map((word) => word.textContent));
    assert.ok(similar.includes('tavu'), similar.join());
    await searchInPage(page, 'tavu');
    await page.waitForSelector('#similar[data-query="tavu"]');
    assert.equal(await page.$eval('#similar', (section) => section.hidden), true);
    await closeCleanly(page);
  });

  test('the vocabulary grid holds entries 1 to 51 and the list every entry in file order', async () => {
    const words = readFileSync(join(shippedTexts, 'values.txt'), 'utf8').split('\n').filter((line) => line.trim() !== '');
    const page = await shownPage(shippedUrl('#/vocabulary'));
    const cells = await page.$$eval('#vocabulary > li', (items) => items.map((item) => item.innerText));
    assert.equal(cells.length, 51);
    assert.ok(cells[0].startsWith(`${words[0]} `), cells[0]);
    await show(page, '#/list/1');
    const listed = await page.$$eval('#entry-list .word', (items) => items.map((item) => item.textContent));
    assert.deepEqual(listed, words.slice(0, 100));
    await closeCleanly(page);
  });

  test('every entry in file order, a page at a time', async () => {
    const texts = join(folder, 'generated-texts');
    execFileSync(varnellDict, ['generate', '1000', '1', texts]);
    publish(texts, join(folder, 'shipped', 'generated'));
    const page = await shownPage(`${server.url}shipped/generated/index.html#/list/3`);
    const numbers = () => page.$$eval('#entry-list .number', (items) => items.map((item) => Number(item.textContent)));
    assert.deepEqual(await numbers(), Array.from({ length: 100 }, (_, i) => 201 + i));
    await page.$eval('#page-number', (field) => { field.value = ''; });
    await page.type('#page-number', '10');
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => document.body.dataset.address === '#/list/10');
    assert.deepEqual((await numbers()).slice(-1), [1000]);
    assert.equal(await page.$eval('#list-next', (link) => link.getAttribute('aria-disabled')), 'true');
    await closeCleanly(page);
  });
});

describe('any screen', () => {
  const views = ['#/q/tavu', '#/vocabulary', '#/list/1', '#/entry/1', '#/print', '#/q/tavuu'];

  test('a phone: no sideways scrolling, every touch target 44 px', async () => {
    const page = await shownPage(shippedUrl(), { viewport: { width: 360, height: 740, isMobile: true, hasTouch: true } });
    for (const view of views) {
      await show(page, view);
      const layout = await page.evaluate(() => ({
        width: document.documentElement.scrollWidth,
        cardFont: parseFloat(getComputedStyle(document.getElementById('card')).fontSize),
        small: [...document.querySelectorAll('a, button, input')]
          .filter((target) => target.checkVisibility() && !target.closest('.skip-link'))
          .map((target) => [target, target.getBoundingClientRect()])
          .filter(([, box]) => box.height < 44 || box.width < 44)
          .map(([target, box]) => `${target.outerHTML.slice(0, 60)} ${box.width}×${box.height}`),
      }));
      assert.ok(layout.width <= 360, `${view} is ${layout.width} px wide`);
      assert.ok(layout.cardFont >= 16, `the card's text is ${layout.cardFont} px, too small to read unzoomed`);
      assert.deepEqual(layout.small, [], view);
    }
    await closeCleanly(page);
  });

  test('light and dark after the device', async () => {
    for (const [scheme, background] of [['light', 'rgb(248, 248, 248)'], ['dark', 'rgb(40, 40, 40)']]) {
      const page = await shownPage(shippedUrl('#/q/tavu'), { scheme });
      assert.equal(await page.$eval('#card', (card) => getComputedStyle(card).backgroundColor), background);
      await closeCleanly(page);
    }
  });

  test('axe-core finds no violation on the main views, light and dark', async () => {
    for (const scheme of ['light', 'dark']) {
      const page = await shownPage(shippedUrl(), { scheme });
      for (const view of views) {
        await show(page, view);
        const violations = await page.evaluate(async (source) => {
          if (!window.axe)
            (0, eval)(source); // the test's own copy of axe-core
          const found = await window.axe.run(document);
          return found.violations.map((violation) => `${violation.id}: ${violation.nodes.map((node) => node.target).join(' ')}`);
        }, axeSource);
        assert.deepEqual(violations, [], `${scheme} ${view}`);
      }
      await closeCleanly(page);
    }
  });
});

test('offline after the first visit', async () => {
  const offlineContext = await browser.createBrowserContext();
  const ownServer = await serveFolder(shipped);
  const firstVisit = await shownPage(`${ownServer.url}index.html`, { context: offlineContext });
  assert.equal(await firstVisit.evaluate(() => Promise.race([
    navigator.serviceWorker.ready.then(() => 'ready'),
    new Promise((resolve) => setTimeout(() => resolve('no service worker after 10 s'), 10000)),
  ])), 'ready');
  await ownServer.close();
  await assert.rejects(fetch(`${ownServer.url}index.html`), 'the server is gone');
  // A new page loads the whole document again, now from the service worker's cache only.
  const page = await shownPage(`${ownServer.url}index.html#/q/tavu`, { context: offlineContext });
  assert.deepEqual(cardLines(await page.$eval('#card', (card) => card.innerText)),
    lookupCards(shippedTexts, ['tavu'])[0]);
  await closeCleanly(page);
  await closeCleanly(firstVisit);
  await offlineContext.close();
});

test('without its data the page says so and takes no query', async () => {
  const bare = join(folder, 'no-data');
  publish(shippedTexts, bare);
  rmSync(join(bare, 'dictionary-data.js'));
  const broken = await watchedPage(context);
  await broken.goto(`${pathToFileURL(join(bare, 'index.html')).href}#/q/tavu`, { waitUntil: 'load' });
  assert.deepEqual(await broken.evaluate(() => [
    document.getElementById('load-status').textContent,
    document.getElementById('query').disabled,
    document.getElementById('card').textContent,
  ]), ['词典加载失败，功能不可用', true, '请确保dictionary-data.js与index.html位于同一目录下!']);
  assert.deepEqual(broken.problems.filter((problem) => problem.startsWith('page error')), []);
  await broken.close();
});

test('printed, the whole dictionary holds every word', async () => {
  const page = await shownPage(shippedUrl('#/print'));
  const pdf = join(folder, 'dictionary.pdf');
  writeFileSync(pdf, await page.pdf({ format: 'A4' }));
  const text = execFileSync('pdftotext', ['-enc', 'UTF-8', pdf, '-'], { encoding: 'utf8' });
  const words = readFileSync(join(shippedTexts, 'values.txt'), 'utf8').split('\n').map((line) => line.trim()).filter(Boolean);
  assert.deepEqual(words.filter((word) => !text.includes(word)), []);
  await closeCleanly(page);
});

test('the whole dictionary links to the printed book only when publish wrote one', async () => {
  const withBook = publish(shippedTexts, join(folder, 'shipped', 'with-book'), ['--pdf']);
  assert.equal(readFileSync(join(withBook, 'dictionary.pdf')).subarray(0, 5).toString(), '%PDF-');
  const page = await shownPage(`${server.url}shipped/with-book/index.html#/print`);
  assert.equal(await page.$eval('#print-book', (link) => link.getAttribute('href')), 'dictionary.pdf');
  await show(page, '#/q/tavu');
  await closeCleanly(page);
  const without = await shownPage(shippedUrl('#/print'));
  assert.equal(await without.$('#print-book'), null);
  await closeCleanly(without);
});

test('every text of a dictionary is shown as text', async () => {
  const base = `${server.url}shipped/hostile/index.html`;
  const page = await shownPage(`${base}#/q/tavu`);
  assert.ok((await page.$eval('#card', (card) => card.innerText)).includes('<img src=x onerror="window.pwned=1">'));
  for (const view of ['#/q/%3Cb%3Ebold%3C%2Fb%3E', '#/entry/1', '#/vocabulary', '#/list/1', '#/print', '#/q/tavuu']) {
    await show(page, view);
    const found = await page.evaluate(() => ({
      markup: document.querySelectorAll('main img, main b, main i, main script').length,
      pwned: window.pwned ?? null,
      text: document.querySelector('main').innerText,
    }));
    assert.deepEqual([found.markup, found.pwned], [0, null], view);
  }
  assert.deepEqual(await page.evaluate(() => [
    document.querySelectorAll('script:not([src])').length,
    document.querySelector('meta[http-equiv="Content-Security-Policy"]')?.content.includes("script-src 'self';"),
  ]), [0, true], 'scripts from the folder\'s own files only');
  const printed = await page.$eval('#whole-dictionary', (list) => list.innerText);
  for (const text of ['<b>bold</b>', '<i>ko.</i>', '&amp; &lt;', '<script>window.pwned=2</script>'])
    assert.ok(printed.includes(text), text);
  await closeCleanly(page);
});
