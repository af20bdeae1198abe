'use strict';
// Keeps the whole site in the browser, so the page opens and works without a
// network after its first visit. finish_site.py fills in the version (a hash
// of the site's files) and the list of files; a new version is a new cache,
// filled before it takes over, and the old one is dropped.
const SITE_VERSION = '@SITE_VERSION@';
const SITE_FILES = @SITE_FILES@;
const CACHE = 'pavlune-site-' + SITE_VERSION;

self.addEventListener('install', (event) => {
  // `reload` skips the HTTP cache, so a new version never keeps an old file.
  event.waitUntil(caches.open(CACHE)
    .then((cache) => cache.addAll(SITE_FILES.map((file) => new Request(file, { cache: 'reload' }))))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names
      .filter((name) => name.startsWith('pavlune-site-') && name !== CACHE)
      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  // The page itself, whatever its address in the site (./, ./index.html, ?query).
  const lookup = request.mode === 'navigate' ? 'index.html' : request;
  event.respondWith(caches.open(CACHE)
    .then((cache) => cache.match(lookup, { ignoreSearch: true }))
    .then((cached) => cached || fetch(request)));
});
