// Keeps the published page working offline after its first visit. Network first, so that a
// dictionary published again is seen at once; the cached copy answers when there is no network.
const CACHE = 'varnell-page-1';
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

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(PAGE_FILES)).then(() => self.skipWaiting()));
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
    const response = await fetch(request);
    if (response.ok && new URL(request.url).origin === self.location.origin)
      await cache.put(request, response.clone());
    return response;
  } catch (error) {
    // The address keeps its #/q/… part out of the request, but ?… is ignored too, for links
    // shared with a tracking suffix.
    const cached = await cache.match(request, { ignoreSearch: true });
    if (cached)
      return cached;
    throw error;
  }
}

self.addEventListener('fetch', (event) => {
  if (event.request.method === 'GET')
    event.respondWith(fromNetworkOrCache(event.request));
});
