// The browser's print of the published page's 整本词典 (#/print), as a reader would print it,
// for docs/performance.md: wall time of Chromium's printToPDF and the peak memory of its
// processes, then the same dictionary typeset by `varnell-dict export --format pdf` under
// /usr/bin/time.
//   node web/tools/measure-print.js PUBLISHED_FOLDER TEXTS_FOLDER OUTPUT_FOLDER
import { execFileSync, spawnSync } from 'node:child_process';
import { readFileSync, readdirSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import puppeteer from 'puppeteer-core';
import { serveFolder, temporaryFolder, varnellDict } from '../test/browser/support.js';

const [published, texts, output] = process.argv.slice(2);

// The peak resident memory (VmHWM) of every process below `pid`, in kB.
function peaksBelow(pid) {
  const peaks = [];
  const visit = (id) => {
    try {
      const status = readFileSync(`/proc/${id}/status`, 'utf8');
      const name = /^Name:\s*(.*)$/m.exec(status)?.[1];
      const peak = Number(/^VmHWM:\s*(\d+)/m.exec(status)?.[1] ?? 0);
      // Chromium rewrites its command line as one text: the process's kind follows --type=.
      const type = /--type=(\S+)/.exec(readFileSync(`/proc/${id}/cmdline`, 'utf8'))?.[1] ?? name;
      peaks.push({ id, type, peak });
    } catch {
      return;
    }
    for (const task of readdirSync(`/proc/${id}/task`)) {
      let children = '';
      try {
        children = readFileSync(`/proc/${id}/task/${task}/children`, 'utf8');
      } catch {
        continue;
      }
      for (const child of children.trim().split(/\s+/).filter(Boolean))
        visit(Number(child));
    }
  };
  visit(pid);
  return peaks;
}

const server = await serveFolder(published);
// As the browser tests launch it, with no time limit on a message: printing takes minutes.
const browser = await puppeteer.launch({
  executablePath: process.env.VARNELL_CHROMIUM ?? '/usr/bin/chromium',
  headless: true,
  userDataDir: temporaryFolder(),
  protocolTimeout: 0,
  args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage', '--disable-background-networking',
    '--disable-component-update', '--no-first-run', '--disable-sync'],
});
const page = await browser.newPage();
const started = performance.now();
await page.goto(`${server.url}index.html#/print`, { waitUntil: 'load' });
await page.waitForSelector('body[data-state="ready"]');
await page.waitForFunction(() => document.getElementById('whole-dictionary').childElementCount > 0);
const shown = performance.now();
// Every process's highest peak seen, sampled while it prints: a process that has ended by then
// (a renderer swapped out) keeps its figure.
const highestOf = new Map();
const sample = () => {
  for (const process of peaksBelow(browser.process().pid)) {
    if (process.peak > (highestOf.get(process.id)?.peak ?? -1))
      highestOf.set(process.id, process);
  }
};
const sampler = setInterval(sample, 5000);
const pdf = await page.pdf({ format: 'A4', timeout: 0 });
const printed = performance.now();
clearInterval(sampler);
sample();
const highest = [...highestOf.values()];
writeFileSync(join(output, 'browser.pdf'), pdf);
await browser.close();
await server.close();
const pages = /Pages:\s*(\d+)/.exec(execFileSync('pdfinfo', [join(output, 'browser.pdf')], { encoding: 'utf8' }))[1];
const renderer = Math.max(...highest.filter((process) => process.type === 'renderer').map((process) => process.peak));
const all = highest.reduce((sum, process) => sum + process.peak, 0);
console.log(`browser: shown after ${((shown - started) / 1000).toFixed(1)} s, printed ${pages} pages in `
  + `${((printed - shown) / 1000).toFixed(1)} s; renderer peak ${(renderer / 1048576).toFixed(2)} GB, `
  + `all processes' peaks ${(all / 1048576).toFixed(2)} GB`);

const run = spawnSync('/usr/bin/time', ['-v', varnellDict, 'export', '--texts', texts, '--format', 'pdf',
  join(output, 'book.pdf')], { encoding: 'utf8' });
const field = (name) => new RegExp(`${name}: (.*)`).exec(run.stderr)?.[1];
const bookPages = /Pages:\s*(\d+)/.exec(execFileSync('pdfinfo', [join(output, 'book.pdf')], { encoding: 'utf8' }))[1];
console.log(`varnell-dict export --format pdf: ${bookPages} pages in ${field('Elapsed \\(wall clock\\) time \\(h:mm:ss or m:ss\\)')}, `
  + `peak ${(Number(field('Maximum resident set size \\(kbytes\\)')) / 1048576).toFixed(2)} GB, exit ${run.status}`);
