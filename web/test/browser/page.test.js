// The published page in Debian's Chromium: it answers as `varnell-dict lookup`, served and from
// disk, offline after a first visit, on a phone, in the dark, accessibly, on paper, and shows
// every text of a dictionary as text. One browser serves every test.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { readFileSync, readdirSync, rmSync, utimesSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, describe, test } from 'node:test';
import { sampleQueries } from './queries.js';
import {
  cardLines, launchBrowser, lookupAnswers, lookupCards, lookupResults, lookupSuggestions, openPage, publish,
  searchInPage, serveFolder, show, temporaryFolder, varnellDict, watchedPage, writeDictionary,
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

// A dictionary of Latin text, in parts of speech other than 禾岚's, with empty fields.
const latinEntries = [
  ['abelo', 'Abel’s, Abelian, commutative', 'n.', 'abela vakso,abela grupo', 'bee’s wax,Abelian group'],
  ['bero', 'berry', '', '', ''],
  ['', '', '', '', ''], // no entry 3
  ['varmo', '热', 'v.', '', ''],
];

let folder, shipped, generatedTexts, latinTexts, server, browser, context;

before(async () => {
  folder = temporaryFolder();
  shipped = publish(shippedTexts, join(folder, 'shipped'));
  publish(writeDictionary(join(folder, 'hostile-texts'), hostileEntries), join(folder, 'shipped', 'hostile'));
  generatedTexts = join(folder, 'generated-texts');
  // Past a thousand: the list's last page holds fewer than a hundred.
  execFileSync(varnellDict, ['generate', '1050', '1', generatedTexts]);
  publish(generatedTexts, join(folder, 'shipped', 'generated'));
  latinTexts = writeDictionary(join(folder, 'abc', 'texts'), latinEntries);
  publish(latinTexts, join(folder, 'shipped', 'latin'));
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

  test('200 sampled queries: the same card, one list item per result, the same suggestions', async () => {
    const queries = sampleQueries(shippedTexts, 200);
    const expectedAnswers = lookupAnswers(shippedTexts, queries);
    const expectedResults = lookupResults(shippedTexts, queries);
    const expectedSuggestions = lookupSuggestions(shippedTexts, queries);
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
        // Shown with the card once the page has built its tables.
        didYouMean: document.getElementById('did-you-mean').hidden ? null
          : document.getElementById('did-you-mean').innerText.trim(),
        didYouMeanEntry: document.getElementById('did-you-mean').hidden ? null
          : document.querySelector('#did-you-mean a').dataset.entry,
        suggestions: [...document.querySelectorAll('#similar-words > li')].map((item) => ({
          number: Number(item.dataset.entry),
          kind: item.dataset.kind,
        })),
      };
    }), queries);
    const differ = (a, b) => JSON.stringify(a) !== JSON.stringify(b);
    const differences = queries.flatMap((query, i) => [
      ...differ(shown[i].results, expectedResults[i])
        ? [`results of ${JSON.stringify(query)}: ${JSON.stringify(shown[i].results)} against ${JSON.stringify(expectedResults[i])}`] : [],
      ...differ(cardLines(shown[i].card), expectedAnswers[i].card) ? [`card of ${JSON.stringify(query)}: ${JSON.stringify(shown[i].card)}`] : [],
      ...differ(shown[i].didYouMean, expectedAnswers[i].suggestion)
        ? [`您要找的是不是 of ${JSON.stringify(query)}: ${shown[i].didYouMean} against ${expectedAnswers[i].suggestion}`] : [],
      ...differ(shown[i].suggestions, expectedSuggestions[i])
        ? [`相近的词 of ${JSON.stringify(query)}: ${JSON.stringify(shown[i].suggestions)} against ${JSON.stringify(expectedSuggestions[i])}`] : [],
      ...differ(shown[i].didYouMeanEntry, expectedSuggestions[i][0] ? String(expectedSuggestions[i][0].number) : null)
        ? [`您要找的是不是 of ${JSON.stringify(query)} links to entry ${shown[i].didYouMeanEntry}`] : [],
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
    await show(page, '#/entry/2');
    assert.equal(await page.$eval('#entry-heading', (heading) => heading.textContent), '没有第 2 条');
    assert.deepEqual(await neighbours(), ['#/entry/1', '#/entry/3'], 'a gap links to the entries around it');
    await page.goto(shippedUrl('#/q/tavu'));
    await page.waitForFunction(() => document.body.dataset.address === '#/q/tavu');
    await page.click('#results > li:first-child > a');
    await page.waitForFunction(() => !document.getElementById('entry-view').hidden);
    assert.match(await page.$eval('#entry-heading', (heading) => heading.textContent), /tavu/);
    await closeCleanly(page);
  });

  test('您要找的是不是 above the card and 相近的词 say what a query not found may have meant', async () => {
    // The first answer of a page (suggested a moment after its card), then answers typed after.
    const page = await shownPage(shippedUrl('#/q/tavuu'));
    const suggested = () => page.evaluate(() => ({
      line: document.getElementById('did-you-mean').hidden ? null : document.getElementById('did-you-mean').innerText,
      entry: document.querySelector('#did-you-mean a').dataset.entry ?? null,
      above: document.getElementById('did-you-mean').compareDocumentPosition(document.getElementById('card'))
        === Node.DOCUMENT_POSITION_FOLLOWING,
      similar: document.getElementById('similar').hidden ? []
        : [...document.querySelectorAll('#similar-words > li')].map((item) => item.innerText.replaceAll(/\s+/g, ' ').trim()),
    }));
    // [query, 您要找的是不是, its entry, the start of 相近的词's first item]
    const rows = [
      ['tavuu', '您要找的是不是：tavu', '1', 'tavu 飞行 拼写相差 1 处'],
      ['飛行', '您要找的是不是：tavu', '1', 'tavu 飞行 简体的翻译'],
      ['一路顺风', '您要找的是不是：tavu', '1', 'tavu 飞行 词组的翻译 tavu mel — 一路顺风'],
      ['tavu', null, null, undefined],
      ['7', null, null, undefined],
    ];
    for (const [query, line, entry, first] of rows) {
      if (query !== 'tavuu')
        await searchInPage(page, query);
      await page.waitForSelector(`#similar[data-query="${query}"]`);
      const shown = await suggested();
      assert.deepEqual([shown.line, shown.entry, shown.similar[0]], [line, entry, first], query);
      assert.ok(shown.above, 'above the card');
    }
    await searchInPage(page, 'tavuu');
    await page.click('#did-you-mean a');
    await page.waitForFunction(() => document.body.dataset.address === '#/entry/1');
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

  test('every entry in file order, a page at a time, and each entry after the one before', async () => {
    const page = await shownPage(`${server.url}shipped/generated/index.html#/list/3`);
    const numbers = () => page.$$eval('#entry-list .number', (items) => items.map((item) => Number(item.textContent)));
    const pager = () => page.evaluate(() => [
      document.getElementById('list-position').textContent,
      ...['list-previous', 'list-next'].map((id) => {
        const link = document.getElementById(id);
        return link.getAttribute('aria-disabled') === 'true' ? null : link.getAttribute('href');
      }),
    ]);
    assert.deepEqual(await numbers(), Array.from({ length: 100 }, (_, i) => 201 + i));
    await page.$eval('#page-number', (field) => { field.value = ''; });
    await page.type('#page-number', '11');
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => document.body.dataset.address === '#/list/11');
    assert.deepEqual(await numbers(), Array.from({ length: 50 }, (_, i) => 1001 + i));
    assert.deepEqual(await pager(), ['第 11 / 11 页（1001–1050，共 1050 条）', '#/list/10', null]);
    for (const [address, expected] of [
      ['#/list/10', ['第 10 / 11 页（901–1000，共 1050 条）', '#/list/9', '#/list/11']],
      ['#/list/99', ['第 11 / 11 页（1001–1050，共 1050 条）', '#/list/10', null]],
      ['#/list/1000', ['第 11 / 11 页（1001–1050，共 1050 条）', '#/list/10', null]],
      ['#/list/2', ['第 2 / 11 页（101–200，共 1050 条）', '#/list/1', '#/list/3']],
      ['#/list/1', ['第 1 / 11 页（1–100，共 1050 条）', null, '#/list/2']],
    ]) {
      await show(page, address);
      assert.deepEqual(await pager(), expected, address);
    }
    const neighbours = () => page.$$eval('#entry-view .pager-link:not([aria-disabled="true"])',
      (links) => links.map((link) => link.getAttribute('href')));
    for (const [number, expected] of [[1, ['#/entry/2']], [1050, ['#/entry/1049']]]) {
      await show(page, `#/entry/${number}`);
      assert.match(await page.$eval('#entry-heading', (heading) => heading.textContent), new RegExp(`^第 ${number} 条：`));
      assert.deepEqual(await neighbours(), expected, `entry ${number}`);
    }
    await show(page, '#/print');
    assert.deepEqual(await page.$$eval('#whole-dictionary .dictionary-block',
      (blocks) => blocks.map((block) => block.childElementCount)), [200, 200, 200, 200, 200, 50]);
    await closeCleanly(page);
  });
});

describe('as a reader searches', () => {
  const cardOf = (page) => page.$eval('#card', (card) => card.innerText).then(cardLines);
  const addressIs = (page, hash) => page.waitForFunction((expected) => document.body.dataset.address === expected, {}, hash);

  test('answers as you type, once typing pauses; the word typed is one step of Back', async () => {
    const page = await shownPage(shippedUrl());
    const steps = await page.evaluate(() => history.length);
    await page.click('#query');
    for (const [typed, query] of [['tav', 'tav'], ['u', 'tavu'], [' mel', 'tavu mel']]) {
      await page.keyboard.type(typed);
      await addressIs(page, `#/q/${encodeURIComponent(query)}`);
      assert.deepEqual(await cardOf(page), lookupCards(shippedTexts, [query])[0], query);
    }
    assert.equal(await page.evaluate(() => history.length), steps + 1, 'one step for the word typed');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'query', 'the field keeps the focus');
    await page.goBack();
    await addressIs(page, '');
    await closeCleanly(page);
  });

  test('text an input method composes is answered once the composition ends', async () => {
    const page = await shownPage(shippedUrl());
    const session = await page.createCDPSession();
    await page.click('#query');
    for (const composing of ['f', 'fei', 'feixing'])
      await session.send('Input.imeSetComposition', { text: composing, selectionStart: composing.length, selectionEnd: composing.length });
    await new Promise((resolve) => { setTimeout(resolve, 600); });
    assert.equal(await page.evaluate(() => document.body.dataset.address), '', 'nothing answered while composing');
    await session.send('Input.insertText', { text: '飞行' });
    await page.waitForFunction(() => document.body.dataset.address === '#/q/%E9%A3%9E%E8%A1%8C');
    assert.deepEqual(await page.$eval('#card', (card) => card.innerText).then(cardLines), lookupCards(shippedTexts, ['飞行'])[0]);
    await closeCleanly(page);
  });

  test('Return answers at once and lets go of the field, so a phone closes its keyboard', async () => {
    const page = await shownPage(shippedUrl());
    await page.click('#query');
    await page.keyboard.type('mel');
    await page.keyboard.press('Enter');
    assert.deepEqual(await cardOf(page), lookupCards(shippedTexts, ['mel'])[0]);
    assert.notEqual(await page.evaluate(() => document.activeElement?.id), 'query');
    await closeCleanly(page);
  });

  test('/ goes to the search field from any view, but is typed as itself in a field', async () => {
    const page = await shownPage(shippedUrl('#/entry/3'));
    for (const start of ['#/entry/3', '#/q/tavu', '#/list/1']) {
      await show(page, start);
      await page.evaluate(() => document.activeElement?.blur());
      await page.keyboard.press('/');
      await page.waitForFunction(() => document.activeElement?.id === 'query' && !document.getElementById('translate-view').hidden);
      await page.keyboard.type('a/b');
      assert.equal(await page.$eval('#query', (field) => field.value), 'a/b', start);
      await page.$eval('#query', (field) => { field.value = ''; });
    }
    await show(page, '#/list/1');
    await page.click('#page-number');
    await page.keyboard.type('/');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'page-number');
    await closeCleanly(page);
  });

  test('全部结果 shows ten more results at a time, as the search with a larger limit', async () => {
    // A Chinese character that many translations hold and none is: found in all of them (and
    // Chinese has no fuzzy list, so a larger limit only adds to the list).
    const translations = readFileSync(join(generatedTexts, 'keys.txt'), 'utf8').split('\n');
    const holding = new Map();
    for (const character of new Set(translations.join('').match(/\p{Script=Han}/gu)))
      holding.set(character, translations.filter((line) => line.includes(character)).length);
    const candidates = [...holding].sort((a, b) => b[1] - a[1]).slice(0, 10).map(([character]) => character);
    const everyResult = lookupResults(generatedTexts, candidates, 1000);
    const query = candidates.find((_, i) => everyResult[i].length > 20);
    assert.ok(query, 'a character with more than 20 results');
    const shownResults = (page) => page.$$eval('#results > li', (items) => items.map((item) => ({
      number: Number(item.querySelector('a').getAttribute('href').replace('#/entry/', '')),
      matchType: item.dataset.matchType,
      score: Number(item.dataset.score),
    })));
    const page = await shownPage(`${server.url}shipped/generated/index.html#/q/${encodeURIComponent(query)}`);
    for (const limit of [10, 20]) {
      assert.deepEqual(await shownResults(page), lookupResults(generatedTexts, [query], limit)[0], `${limit}`);
      assert.equal(await page.$eval('#more-results', (button) => button.hidden), false);
      await page.click('#more-results');
    }
    for (let clicks = 0; clicks < 100 && !(await page.$eval('#more-results', (button) => button.hidden)); ++clicks)
      await page.click('#more-results');
    assert.deepEqual(await shownResults(page), everyResult[candidates.indexOf(query)]);
    // A misspelt word, whose longer fuzzy list ranks other results among the first ten: those
    // shown stay, and the next ten are the longer list's others, in its order.
    const misspelt = readFileSync(join(generatedTexts, 'values.txt'), 'utf8').split('\n')
      .filter((word, i) => i % 3 === 2 && word.length > 3).map((word) => `${word.slice(0, -1)}x`);
    const [firstTen, firstTwenty] = [10, 20].map((limit) => lookupResults(generatedTexts, misspelt, limit));
    const at = misspelt.findIndex((_, i) => firstTen[i].length === 10
      && JSON.stringify(firstTwenty[i].slice(0, 10)) !== JSON.stringify(firstTen[i]));
    assert.ok(at >= 0, 'a misspelt word whose first ten change with the limit');
    await searchInPage(page, misspelt[at]);
    await page.click('#more-results');
    const shownFirst = new Set(firstTen[at].map((result) => result.number));
    assert.deepEqual(await shownResults(page), [...firstTen[at],
      ...firstTwenty[at].filter((result) => !shownFirst.has(result.number)).slice(0, 10)], misspelt[at]);
    await searchInPage(page, '5');
    assert.equal(await page.$eval('#more-results', (button) => button.hidden), true, 'one result (an entry number): nothing more');
    await closeCleanly(page);
  });

  test('a result of a phrase shows that phrase and its own translation', async () => {
    const page = await shownPage(shippedUrl());
    // [query, entry, phrase and translation shown; the card shows the entry's first phrase]
    const rows = [
      ['mel', 1, 'tavu mel — 一路顺风'],
      ['tavu mel', 1, 'tavu mel — 一路顺风'],
      ['dano', 3, 'orvan ber dano — 奥凡是朋友'],
    ];
    for (const [query, number, phrase] of rows) {
      await searchInPage(page, query);
      const shown = await page.$eval(`#results > li > a[href="#/entry/${number}"] .matched-phrase`, (line) => line.textContent);
      assert.equal(shown, phrase, query);
    }
    await searchInPage(page, 'tavu');
    assert.equal(await page.$('#results > li > a[href="#/entry/1"] .matched-phrase'), null, 'a word matched as a word');
    await closeCleanly(page);
  });
});

describe('any dictionary', () => {
  const latinUrl = (fragment) => `${server.url}shipped/latin/index.html${fragment}`;

  test('the title: the window\'s for the shipped dictionary, the folder\'s name otherwise, or --title', async () => {
    publish(latinTexts, join(folder, 'shipped', 'titled'), ['--title', '<i>Mia</i> vortaro']);
    const rows = [
      [shippedUrl(), '禾岚大词典'],
      [latinUrl(''), 'abc'],
      [`${server.url}shipped/titled/index.html`, '<i>Mia</i> vortaro'],
    ];
    for (const [url, title] of rows) {
      const page = await shownPage(url);
      assert.deepEqual(await page.evaluate(() => [document.title, document.getElementById('page-title').textContent,
        document.querySelectorAll('header i').length]), [title, title, 0], url);
      const manifest = JSON.parse(await page.evaluate(async () => (await fetch(document.querySelector('link[rel="manifest"]').href)).text()));
      assert.equal(manifest.name, title, url);
      await closeCleanly(page);
    }
  });

  test('the legend of 禾岚\'s parts of speech only where the dictionary uses them', async () => {
    for (const [url, shown] of [[shippedUrl(), true], [latinUrl(''), false]]) {
      const page = await shownPage(url);
      assert.equal(await page.$eval('#legend-tags', (legend) => legend.checkVisibility()), shown, url);
      await closeCleanly(page);
    }
  });

  test('text in Latin letters has a language of its own and a Latin font', async () => {
    const page = await shownPage(latinUrl('#/q/abelo'));
    const session = await page.createCDPSession();
    await session.send('DOM.enable');
    await session.send('CSS.enable');
    // The fonts the browser drew an element's own text with.
    const fontsOf = async (selector, text) => {
      const found = await page.$$eval(selector, (nodes, wanted) => {
        const node = nodes.find((candidate) => candidate.textContent === wanted);
        node?.setAttribute('data-font-probe', '');
        return node ? [node.lang, node.closest('[lang]').lang] : null;
      }, text);
      assert.ok(found, `${selector} ${text}`);
      const { root } = await session.send('DOM.getDocument', { depth: -1 });
      const { nodeId } = await session.send('DOM.querySelector', { nodeId: root.nodeId, selector: '[data-font-probe]' });
      const { fonts } = await session.send('CSS.getPlatformFontsForNode', { nodeId });
      await page.$eval('[data-font-probe]', (node) => node.removeAttribute('data-font-probe'));
      return { language: found[1], fonts: fonts.map((font) => font.familyName) };
    };
    // [view, elements, text, language]
    const rows = [
      ['#/q/abelo', '#card span', 'Abel’s, Abelian, commutative', 'und-Latn'],
      ['#/q/abelo', '#results .translation', 'Abel’s, Abelian, commutative', 'und-Latn'],
      ['#/q/abelo', '#card span', 'bee’s wax', 'und-Latn'],
      ['#/entry/1', '#entry span', 'bee’s wax', 'und-Latn'],
      ['#/list/1', '#entry-list .translation', 'Abel’s, Abelian, commutative', 'und-Latn'],
      ['#/q/varmo', '#results .translation', '热', 'zh-Hans'],
    ];
    for (const [view, selector, text, language] of rows) {
      await show(page, view);
      const drawn = await fontsOf(selector, text);
      assert.equal(drawn.language, language, `${view} ${text}`);
      const chinese = drawn.fonts.some((family) => /CJK/.test(family));
      assert.equal(chinese, language.startsWith('zh'), `${view} ${text}: ${drawn.fonts}`);
    }
    await closeCleanly(page);
  });

  test('an entry page leaves out empty fields and says when there is no such entry', async () => {
    const page = await shownPage(latinUrl('#/entry/1'));
    const labels = () => page.$$eval('#entry dt', (terms) => terms.map((term) => term.textContent));
    // [address, heading, fields shown]
    const rows = [
      ['#/entry/1', '第 1 条：abelo', ['编号', '词', '词性', '翻译', '相关词组']],
      ['#/entry/2', '第 2 条：bero', ['编号', '词', '翻译']],
      ['#/entry/3', '没有第 3 条', []],
      ['#/entry/0', '没有第 0 条', []],
      ['#/entry/-1', '没有第 -1 条', []],
      ['#/entry/x', '没有这个词条', []],
    ];
    for (const [address, heading, fields] of rows) {
      await show(page, address);
      assert.equal(await page.$eval('#entry-view', (view) => view.hidden), false, address);
      assert.equal(await page.$eval('#entry-heading', (node) => node.textContent), heading, address);
      assert.deepEqual(await labels(), fields, address);
    }
    await show(page, '#/entry/1');
    assert.deepEqual(await page.$$eval('#entry li', (items) => items.map((item) => item.textContent)),
      ['abela vakso — bee’s wax', 'abela grupo — Abelian group']);
    await closeCleanly(page);
  });
});

describe('a dictionary published again into the same folder', () => {
  // Published yesterday: a browser may keep its files for hours without asking the server.
  function publishedYesterday(texts, site) {
    publish(texts, site);
    const yesterday = new Date(Date.now() - 24 * 3600 * 1000);
    for (const file of readdirSync(site))
      utimesSync(join(site, file), yesterday, yesterday);
  }

  // [how the reader comes back, without a service worker (a browser that has none)]
  const rows = [
    ['reloads, no service worker', true, (page) => page.reload({ waitUntil: 'load' }).then(() => page)],
    ['reloads', false, (page) => page.reload({ waitUntil: 'load' }).then(() => page)],
    ['opens the page again', false, async (page, url, readerContext) => {
      await page.close();
      return watchedPage(readerContext).then(async (again) => { await again.goto(url, { waitUntil: 'load' }); return again; });
    }],
  ];
  for (const [name, withoutWorker, comeBack] of rows) {
    test(`a reader who ${name} sees the new dictionary${withoutWorker ? "" : ", offline too after"}`, async () => {
      const site = join(folder, `site-${name.replaceAll(/\W/g, '-')}`);
      const first = writeDictionary(join(site + '-texts', 'first'), [['tavu', '飞行', 'ka.', '', '']]);
      const second = writeDictionary(join(site + '-texts', 'second'), [['tavu', '飞翔', 'ka.', '', '']]);
      publishedYesterday(first, site);
      const siteServer = await serveFolder(site);
      const url = `${siteServer.url}index.html#/q/tavu`;
      const readerContext = await browser.createBrowserContext();
      const translation = async (page) => {
        await page.waitForSelector('body[data-state="ready"]');
        return page.$eval('#card', (card) => card.innerText.split('\n').find((line) => line.includes('最佳翻译')).trim());
      };
      try {
        let page = await watchedPage(readerContext);
        await page.setBypassServiceWorker(withoutWorker);
        await openPage(page, url);
        assert.equal(await translation(page), '最佳翻译：飞行');
        if (!withoutWorker)
          await page.waitForFunction(() => navigator.serviceWorker.controller !== null);

        publish(second, site);
        page = await comeBack(page, url, readerContext);
        assert.equal(await translation(page), '最佳翻译：飞翔', 'the new dictionary on the visit after');
        if (!withoutWorker) {
          await siteServer.close();
          page = await comeBack(page, url, readerContext);
          assert.equal(await translation(page), '最佳翻译：飞翔', 'the new dictionary offline');
        }
        assert.deepEqual(page.problems, []);
      } finally {
        await siteServer.close();
        await readerContext.close();
      }
    });
  }
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

test('printed, the whole dictionary is sorted by word: letter case and accents aside, numbers by value, then file order', async () => {
  const entries = [['beta', '乙'], ['a10', '十'], ['á', '丙'], ['a9', '九'], ['A', '甲'], ['a', '丁']]
    .map(([word, translation]) => [word, translation, '', '', '']);
  publish(writeDictionary(join(folder, 'sorted-texts'), entries), join(folder, 'shipped', 'sorted'));
  const page = await shownPage(`${server.url}shipped/sorted/index.html#/print`);
  assert.deepEqual(await page.$$eval('#whole-dictionary .word', (words) => words.map((word) => word.textContent)),
    ['á', 'A', 'a', 'a9', 'a10', 'beta']);
  await closeCleanly(page);
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
