// "Save also to a folder": where the browser offers the File System Access
// API, the teacher picks a folder (a USB stick, a shared drive) and every
// save of the store is written there too, under a folder of its own. A
// browser whose storage was cleared gets the programs back from it when the
// folder is picked again.
//
// The store is seen as a flat map of relative paths to bytes (`files()` and
// `put(files)` given by the page, over the program's file system); the folder
// is a FileSystemDirectoryHandle.
(function (root) {
    'use strict';

    // The folder inside the chosen one: nothing outside it is ever written.
    const SUBFOLDER = 'PavluneCards';
    // Where the store keeps its programs, and the list that names them.
    const PROGRAMS = 'savedatas/';
    const LIST = PROGRAMS + 'list.plist';

    function sameBytes(a, b) {
        if (!a || !b || a.length !== b.length) {
            return false;
        }
        for (let i = 0; i < a.length; ++i) {
            if (a[i] !== b[i]) {
                return false;
            }
        }
        return true;
    }

    // A store with a program file besides the list.
    function holdsPrograms(paths) {
        return paths.some((path) => path.startsWith(PROGRAMS) && path.endsWith('.plist') && path !== LIST);
    }

    async function folderFor(top, path, create) {
        let folder = top;
        const parts = path.split('/');
        for (const part of parts.slice(0, -1)) {
            folder = await folder.getDirectoryHandle(part, { create });
        }
        return { folder, name: parts[parts.length - 1] };
    }

    // Every file under `folder`, as {path: Uint8Array}. (No destructuring
    // or for-await in loop heads: Emscripten's optimiser of the program's
    // script, which this file joins, drops them.)
    async function readFolder(folder, prefix, into) {
        const entries = folder.entries();
        for (;;) {
            const next = await entries.next();
            if (next.done) {
                break;
            }
            const name = next.value[0];
            const handle = next.value[1];
            if (handle.kind === 'directory') {
                await readFolder(handle, prefix + name + '/', into);
            } else {
                const file = await handle.getFile();
                into[prefix + name] = new Uint8Array(await file.arrayBuffer());
            }
        }
        return into;
    }

    class StoreFolder {
        // `store`: {files() -> {path: Uint8Array}, put({path: Uint8Array})}.
        constructor(store) {
            this.store = store;
            this.top = null; // the chosen folder's own folder for the store
            this.written = new Map(); // path -> the bytes last written there
            this.running = null;
            this.again = false;
        }

        active() {
            return this.top !== null;
        }

        // Takes the chosen folder. A store without programs is filled from
        // the folder ('restored': the page starts again to read it);
        // otherwise the store is written there ('mirrored').
        async use(chosen) {
            const top = await chosen.getDirectoryHandle(SUBFOLDER, { create: true });
            this.written = new Map();
            const here = this.store.files();
            const there = await readFolder(top, '', {});
            if (!holdsPrograms(Object.keys(here)) && holdsPrograms(Object.keys(there))) {
                this.store.put(there);
                for (const path of Object.keys(there)) {
                    this.written.set(path, there[path]);
                }
                this.top = top;
                return 'restored';
            }
            this.top = top;
            await this.mirror();
            return 'mirrored';
        }

        // Writes what changed since the last time and removes what this
        // mirror wrote and the store no longer has (a deleted program). Files
        // it never wrote stay. Calls during a run make one more run after it.
        async mirror() {
            if (!this.top) {
                return;
            }
            if (this.running) {
                this.again = true;
                return this.running;
            }
            this.running = (async () => {
                try {
                    do {
                        this.again = false;
                        await this.copyChanges();
                    } while (this.again);
                } finally {
                    this.running = null;
                }
            })();
            return this.running;
        }

        async copyChanges() {
            const files = this.store.files();
            for (const path of Object.keys(files)) {
                const bytes = files[path];
                if (sameBytes(this.written.get(path), bytes)) {
                    continue;
                }
                const { folder, name } = await folderFor(this.top, path, true);
                const writable = await (await folder.getFileHandle(name, { create: true })).createWritable();
                await writable.write(bytes);
                await writable.close();
                this.written.set(path, bytes);
            }
            for (const path of [...this.written.keys()]) {
                if (!(path in files)) {
                    const { folder, name } = await folderFor(this.top, path, false);
                    await folder.removeEntry(name);
                    this.written.delete(path);
                }
            }
        }
    }

    const api = { StoreFolder, SUBFOLDER };
    if (typeof module !== 'undefined' && module.exports && typeof Module === 'undefined') {
        module.exports = api;
    } else {
        root.PavluneStoreFolder = api;
    }
})(typeof globalThis !== 'undefined' ? globalThis : this);
