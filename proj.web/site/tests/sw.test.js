// The offline worker as finish_site.py makes it for a small site, run under
// node with a fake browser around it: what it keeps, what it drops, what it
// answers without a network.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const vm = require('node:vm');

const root = path.resolve(__dirname, '../../..');
const scope = 'http://school.example/cards/';
const made = [];
process.on('exit', () => made.forEach((site) => fs.rmSync(site, { recursive: true, force: true })));

function makeSite(wasmBytes = Buffer.alloc(4096, 7)) {
    const site = fs.mkdtempSync(path.join(os.tmpdir(), 'pavlune-sw-'));
    made.push(site);
    fs.writeFileSync(path.join(site, 'index.html'), "<script>const siteVersion = '@SITE_VERSION@';</script>");
    fs.writeFileSync(path.join(site, 'pavlune-cards.js'), 'console.log(1);\n'.repeat(200));
    fs.writeFileSync(path.join(site, 'pavlune-cards.wasm'), wasmBytes);
    fs.mkdirSync(path.join(site, 'licences'));
    fs.writeFileSync(path.join(site, 'licences', 'a.txt'), 'licence');
    execFileSync('python3', [path.join(root, 'proj.web/site/finish_site.py'), root, site], { stdio: 'pipe' });
    return site;
}

// The parts of a browser a service worker touches, in memory.
function fakeBrowser(site, { online = true } = {}) {
    const handlers = {};
    const stores = new Map();
    const fetched = [];
    const calls = { skipWaiting: 0, claim: 0 };
    const keyOf = (what, ignoreSearch) => {
        const url = new URL(typeof what === 'string' ? what : what.url, scope);
        if (ignoreSearch) url.search = '';
        return url.href;
    };
    class Request {
        constructor(url, init = {}) {
            this.url = new URL(url, scope).href;
            this.cache = init.cache || 'default';
            this.method = init.method || 'GET';
            this.mode = init.mode || 'cors';
        }
    }
    const fetch = async (request) => {
        fetched.push(request);
        if (!online) throw new TypeError('Failed to fetch');
        const file = path.join(site, new URL(request.url).pathname.slice(new URL(scope).pathname.length));
        return { body: fs.readFileSync(file), from: 'network' };
    };
    const open = async (name) => {
        if (!stores.has(name)) stores.set(name, new Map());
        const store = stores.get(name);
        return {
            addAll: async (requests) => {
                for (const request of requests) store.set(keyOf(request), { ...(await fetch(request)), from: 'cache' });
            },
            match: async (what, options = {}) => {
                const wanted = keyOf(what, options.ignoreSearch);
                for (const [key, value] of store) if (keyOf(key, options.ignoreSearch) === wanted) return value;
                return undefined;
            },
        };
    };
    const context = {
        URL, Request, fetch, console,
        caches: { open, keys: async () => [...stores.keys()], delete: async (name) => stores.delete(name) },
        self: {
            location: new URL('sw.js', scope),
            addEventListener: (type, handler) => { handlers[type] = handler; },
            skipWaiting: async () => { calls.skipWaiting++; },
            clients: { claim: async () => { calls.claim++; } },
        },
    };
    vm.createContext(context);
    const worker = vm.runInContext(fs.readFileSync(path.join(site, 'sw.js'), 'utf8') +
        '\n;({ SITE_VERSION, SITE_FILES, CACHE })', context);
    const dispatch = async (type, event = {}) => {
        let waited = Promise.resolve();
        let answer;
        handlers[type]({ ...event, waitUntil: (p) => { waited = p; }, respondWith: (p) => { answer = p; } });
        await waited;
        return answer;
    };
    return { worker, stores, fetched, calls, dispatch, Request, goOffline: () => { online = false; } };
}

test('every file of the site is kept, the worker itself and the gzip copies are not', () => {
    const { worker } = fakeBrowser(makeSite());
    assert.deepEqual([...worker.SITE_FILES].sort(), [
        'icons/192.png', 'icons/512.png', 'index.html', 'licences/a.txt', 'manifest.webmanifest',
        'pavlune-cards.js', 'pavlune-cards.wasm',
    ]);
});

test('the version follows the files and reaches the page', () => {
    const a = makeSite();
    const again = fakeBrowser(makeSite()).worker.SITE_VERSION;
    const changed = fakeBrowser(makeSite(Buffer.alloc(4096, 8))).worker.SITE_VERSION;
    const version = fakeBrowser(a).worker.SITE_VERSION;
    assert.match(version, /^[0-9a-f]{16}$/);
    assert.equal(again, version, 'the same files make the same version');
    assert.notEqual(changed, version, 'a changed program makes a new version');
    assert.equal(fs.readFileSync(path.join(a, 'index.html'), 'utf8'), `<script>const siteVersion = '${version}';</script>`);
});

test('install keeps every file, fetched past the HTTP cache, then takes over', async () => {
    const browser = fakeBrowser(makeSite());
    await browser.dispatch('install');
    assert.deepEqual([...browser.stores.keys()], ['pavlune-site-' + browser.worker.SITE_VERSION]);
    assert.equal(browser.stores.values().next().value.size, browser.worker.SITE_FILES.length);
    assert.ok(browser.fetched.every((request) => request.cache === 'reload'));
    assert.equal(browser.calls.skipWaiting, 1);
});

test('activate drops the old versions only', async () => {
    const browser = fakeBrowser(makeSite());
    await browser.dispatch('install');
    const current = 'pavlune-site-' + browser.worker.SITE_VERSION;
    browser.stores.set('pavlune-site-0123456789abcdef', new Map());
    browser.stores.set('another-app', new Map());
    await browser.dispatch('activate');
    assert.deepEqual([...browser.stores.keys()].sort(), ['another-app', current].sort());
    assert.equal(browser.calls.claim, 1);
});

test('without a network the page and its files come from the kept copy', async () => {
    const site = makeSite();
    const browser = fakeBrowser(site);
    await browser.dispatch('install');
    browser.goOffline();
    const page = await browser.dispatch('fetch', { request: new browser.Request('./?from=home', { mode: 'navigate' }) });
    assert.equal(page.from, 'cache');
    assert.deepEqual(page.body, fs.readFileSync(path.join(site, 'index.html')));
    const program = await browser.dispatch('fetch', { request: new browser.Request('pavlune-cards.wasm?v=2') });
    assert.deepEqual(program.body, fs.readFileSync(path.join(site, 'pavlune-cards.wasm')));
    await assert.rejects(browser.dispatch('fetch', { request: new browser.Request('missing.js') }), /Failed to fetch/);
});

test('posts and other sites are left to the browser', async () => {
    const browser = fakeBrowser(makeSite());
    await browser.dispatch('install');
    assert.equal(await browser.dispatch('fetch', { request: new browser.Request('index.html', { method: 'POST' }) }), undefined);
    assert.equal(await browser.dispatch('fetch', { request: new browser.Request('https://fonts.example/a.woff') }), undefined);
});
