// The README's pictures of the published page, from Debian's Chromium: a phone and a desktop,
// light and dark, after a search.
//   node web/tools/screenshots.js PUBLISHED_FOLDER OUTPUT_FOLDER
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
      await page.screenshot({ path: join(output, `web-${screen.name}-${scheme}.png`) });
      await page.close();
    }
  }
} finally {
  await browser.close();
}
