// The store's copy in a folder the teacher picked: what is written, when,
// what is removed, and when the folder fills an emptied store.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const { StoreFolder } = require('../store-folder.js');
const { FakeFolder } = require('./fake-folder.js');

const bytes = (text) => Array.from(Buffer.from(text));

// The program's store as the page sees it: a map of paths to bytes.
function fakeStore(files) {
    const store = { now: {}, puts: 0 };
    for (const [path, text] of Object.entries(files)) {
        store.now[path] = Uint8Array.from(bytes(text));
    }
    store.files = () => ({ ...store.now });
    store.put = (added) => {
        ++store.puts;
        Object.assign(store.now, added);
    };
    store.set = (path, text) => {
        store.now[path] = Uint8Array.from(bytes(text));
    };
    return store;
}

test('each save writes only what changed, and a deleted program goes from the folder too', async () => {
    const store = fakeStore({
        'settings.plist': '<s/>',
        'savedatas/list.plist': '<list>1</list>',
        'savedatas/1.plist': '<one/>',
    });
    const chosen = FakeFolder.from({ 'notes.txt': bytes('the teacher\'s'), 'PavluneCards/old.txt': bytes('kept') });
    const mirror = new StoreFolder(store);
    assert.equal(await mirror.use(chosen), 'mirrored');
    assert.deepEqual(chosen.dump(), {
        'notes.txt': bytes('the teacher\'s'),
        'PavluneCards/old.txt': bytes('kept'),
        'PavluneCards/settings.plist': bytes('<s/>'),
        'PavluneCards/savedatas/list.plist': bytes('<list>1</list>'),
        'PavluneCards/savedatas/1.plist': bytes('<one/>'),
    });

    store.set('savedatas/1.plist', '<one changed/>');
    store.set('savedatas/2.plist', '<two/>');
    await mirror.mirror();
    assert.deepEqual(chosen.dump((file) => file.writes), {
        'notes.txt': 0,
        'PavluneCards/old.txt': 0,
        'PavluneCards/settings.plist': 1,
        'PavluneCards/savedatas/list.plist': 1,
        'PavluneCards/savedatas/1.plist': 2,
        'PavluneCards/savedatas/2.plist': 1,
    });
    assert.deepEqual(chosen.dump()['PavluneCards/savedatas/1.plist'], bytes('<one changed/>'));

    delete store.now['savedatas/2.plist'];
    await mirror.mirror();
    const after = chosen.dump();
    assert.equal('PavluneCards/savedatas/2.plist' in after, false, 'the deleted program is gone');
    assert.deepEqual(after['PavluneCards/old.txt'], bytes('kept'), 'a file it never wrote stays');
});

test('saves that come while a copy runs are copied once more after it', async () => {
    const store = fakeStore({ 'savedatas/1.plist': 'a' });
    const chosen = new FakeFolder();
    const mirror = new StoreFolder(store);
    await mirror.use(chosen);
    store.set('savedatas/1.plist', 'b');
    const first = mirror.mirror();
    store.set('savedatas/1.plist', 'c'); // saved while the first copy runs
    const second = mirror.mirror();
    await Promise.all([first, second]);
    assert.deepEqual(chosen.dump()['PavluneCards/savedatas/1.plist'], bytes('c'));
});

test('an emptied store is filled from the folder; a store with programs is never overwritten', async () => {
    const kept = {
        'PavluneCards/savedatas/list.plist': bytes('<list>7</list>'),
        'PavluneCards/savedatas/7.plist': bytes('<seven/>'),
        'PavluneCards/savedatas/7.png': [137, 80, 78, 71],
    };
    const table = [
        // the store's files, what use() says, the store afterwards
        [{}, 'restored', { 'savedatas/list.plist': '<list>7</list>', 'savedatas/7.plist': '<seven/>' }],
        [{ 'savedatas/list.plist': '<list/>' }, 'restored', { 'savedatas/7.plist': '<seven/>' }],
        [{ 'savedatas/list.plist': '<list>1</list>', 'savedatas/1.plist': '<one/>' }, 'mirrored',
            { 'savedatas/1.plist': '<one/>', 'savedatas/7.plist': undefined }],
    ];
    for (const [files, answer, expected] of table) {
        const store = fakeStore(files);
        const chosen = FakeFolder.from(kept);
        assert.equal(await new StoreFolder(store).use(chosen), answer, JSON.stringify(files));
        for (const [path, text] of Object.entries(expected)) {
            const now = store.now[path];
            assert.deepEqual(now && Buffer.from(now).toString(), text, path);
        }
        if (answer === 'restored') {
            assert.deepEqual(Array.from(store.now['savedatas/7.png']), [137, 80, 78, 71], 'the picture too');
            assert.deepEqual(chosen.dump(), kept, 'the folder is left as it was');
        }
    }
});
