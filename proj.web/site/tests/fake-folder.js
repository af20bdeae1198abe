// A folder as the File System Access API hands it out, in memory: for the
// store folder's node test and, injected into the page, for the Chromium
// test (headless Chromium shows no folder picker).
(function (root) {
    'use strict';

    class FakeFile {
        constructor(name) {
            this.kind = 'file';
            this.name = name;
            this.bytes = new Uint8Array(0);
            this.writes = 0;
        }

        async getFile() {
            const bytes = this.bytes;
            return { size: bytes.length, arrayBuffer: async () => bytes.slice().buffer };
        }

        async createWritable() {
            ++this.writes;
            const parts = [];
            return {
                write: async (data) => {
                    parts.push(new Uint8Array(data));
                },
                // Like the real one: the file changes only when it is closed.
                close: async () => {
                    const all = new Uint8Array(parts.reduce((n, p) => n + p.length, 0));
                    let at = 0;
                    for (const p of parts) {
                        all.set(p, at);
                        at += p.length;
                    }
                    this.bytes = all;
                },
            };
        }
    }

    class FakeFolder {
        constructor(name) {
            this.kind = 'directory';
            this.name = name || '';
            this.children = new Map();
        }

        async *entries() {
            for (const entry of [...this.children.entries()]) {
                yield entry;
            }
        }

        child(name, Kind, create) {
            const found = this.children.get(name);
            if (found) {
                return found;
            }
            if (!create) {
                throw Object.assign(new Error(name), { name: 'NotFoundError' });
            }
            const made = new Kind(name);
            this.children.set(name, made);
            return made;
        }

        async getDirectoryHandle(name, options) {
            return this.child(name, FakeFolder, options && options.create);
        }

        async getFileHandle(name, options) {
            return this.child(name, FakeFile, options && options.create);
        }

        async removeEntry(name) {
            if (!this.children.delete(name)) {
                throw Object.assign(new Error(name), { name: 'NotFoundError' });
            }
        }

        // {path: [bytes]} (or what `of` tells of each file): every file
        // below, for the test to read and to carry across a reload.
        dump(of = (file) => Array.from(file.bytes), prefix = '', into = {}) {
            for (const [name, entry] of this.children) {
                if (entry instanceof FakeFolder) {
                    entry.dump(of, prefix + name + '/', into);
                } else {
                    into[prefix + name] = of(entry);
                }
            }
            return into;
        }

        static from(files) {
            const top = new FakeFolder('');
            for (const [path, bytes] of Object.entries(files || {})) {
                const parts = path.split('/');
                let folder = top;
                for (const part of parts.slice(0, -1)) {
                    folder = folder.child(part, FakeFolder, true);
                }
                folder.child(parts[parts.length - 1], FakeFile, true).bytes = Uint8Array.from(bytes);
            }
            return top;
        }
    }

    const api = { FakeFolder, FakeFile };
    if (typeof module !== 'undefined' && module.exports) {
        module.exports = api;
    } else {
        root.PavluneFakeFolder = api;
    }
})(typeof globalThis !== 'undefined' ? globalThis : this);
