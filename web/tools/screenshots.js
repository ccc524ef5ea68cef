// The README's pictures of the published page, from Debian's Chromium: a phone and a desktop,
// light and dark, after searching a misspelt word (the word meant above the card). Made smaller
// with Debian's pngquant and optipng where they are installed.
//   node web/tools/screenshots.js PUBLISHED_FOLDER OUTPUT_FOLDER
import { spawnSync } from 'node:child_process';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { launchBrowser, openPage, temporaryFolder } from '../test/browser/support.js';

const [published, output] = process.argv.slice(2).map((path) => resolve(path));
const screens = [
  { name: 'phone', viewport: { width: 360, height: 740, deviceScaleFactor: 2, isMobile: true, hasTouch: true } },
  { name: 'desktop', viewport: { width: 1100, height: 820, deviceScaleFactor: 1 } },
];

const browser = await launchBrowser(temporaryFolder());
try {
  for (const screen of screens) {
    for (const scheme of ['light', 'dark']) {
      const page = await browser.newPage();
      await page.setViewport(screen.viewport);
      await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: scheme }]);
      await openPage(page, `${pathToFileURL(join(published, 'index.html')).href}#/q/tavuu`);
      const file = join(output, `web-${screen.name}-${scheme}.png`);
      await page.screenshot({ path: file });
      await page.close();
      // A palette of 256 colours keeps a page of text as it looks; then the smallest lossless
      // encoding. Either tool missing leaves the picture as it is.
      spawnSync('pngquant', ['--force', '--skip-if-larger', '--quality', '80-100', '--output', file, file]);
      spawnSync('optipng', ['-quiet', '-o2', file]);
    }
  }
} finally {
  await browser.close();
}
