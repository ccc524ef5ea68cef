// Keeps the published page working offline after its first visit. Network first, and past the
// browser's own cache (each file asked of the server again, which answers "not modified" while
// it is): a dictionary published again into the same folder is seen on the next visit, and from
// then on offline. Each file is kept once, by its name without the version that index.html puts
// after it ("dictionary-data.js?v=…"), so that a new version takes the old one's place.
const CACHE = 'varnell-page-2';
const PAGE_FILES = [
  './',
  'index.html',
  'varnell.js',
  'dictionary-data.js',
  'styles.css',
  'print.css',
  'icon.svg',
  'manifest.webmanifest',
];

// The file a request asks for, without what follows "?" (a version, or a link's tracking suffix).
function fileOf(request) {
  const url = new URL(request.url);
  url.search = '';
  return url.href;
}

async function keep(cache, request, response) {
  if (response.ok && new URL(request.url).origin === self.location.origin)
    await cache.put(fileOf(request), response.clone());
  return response;
}

self.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    const cache = await caches.open(CACHE);
    for (const file of PAGE_FILES) {
      const request = new Request(file, { cache: 'no-cache' });
      await keep(cache, request, await fetch(request));
    }
    await self.skipWaiting();
  })());
});

self.addEventListener('activate', (event) => {
  event.waitUntil(
    caches.keys()
      .then((names) => Promise.all(names.filter((name) => name !== CACHE).map((name) => caches.delete(name))))
      .then(() => self.clients.claim()),
  );
});

async function fromNetworkOrCache(request) {
  const cache = await caches.open(CACHE);
  try {
    // 'no-cache': the browser's cache may still hold the file of the previous publish as fresh.
    return await keep(cache, request, await fetch(request, { cache: 'no-cache' }));
  } catch (error) {
    const cached = await cache.match(fileOf(request));
    if (cached)
      return cached;
    throw error;
  }
}

self.addEventListener('fetch', (event) => {
  if (event.request.method === 'GET')
    event.respondWith(fromNetworkOrCache(event.request));
});
