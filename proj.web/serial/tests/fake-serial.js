// A stand-in for navigator.serial and its ports, shared by the node tests and
// the browser test page: it records every byte with the time it arrived.
(function (root) {
    'use strict';

    class FakePort {
        constructor(info, now) {
            this.info = info || {};
            this.now = now || (() => performance.now());
            this.arrivals = []; // {byte, at}
            this.openedWith = null;
            this.isOpen = false;
            this.closeCount = 0;
            this.openError = null; // an Error to reject open() with
            this.writeBehaviour = null; // (byte) => Promise<void> instead of taking it at once
            this.answer = []; // bytes the board sends back once opened
        }

        getInfo() {
            return this.info;
        }

        async open(options) {
            if (this.openError) {
                throw this.openError;
            }
            if (this.isOpen) {
                const e = new Error('The port is already open.');
                e.name = 'InvalidStateError';
                throw e;
            }
            this.openedWith = options;
            this.isOpen = true;
            const port = this;
            let cancelled = null;
            const pending = [...this.answer];
            this.readable = {
                getReader() {
                    return {
                        read() {
                            if (pending.length) {
                                return Promise.resolve({ value: new Uint8Array(pending.splice(0)), done: false });
                            }
                            return new Promise((resolve) => {
                                cancelled = () => resolve({ value: undefined, done: true });
                            });
                        },
                        cancel() {
                            if (cancelled) {
                                cancelled();
                            }
                            return Promise.resolve();
                        },
                        releaseLock() {},
                    };
                },
            };
            this.writable = {
                getWriter() {
                    return {
                        write(chunk) {
                            if (!port.isOpen) {
                                return Promise.reject(new Error('closed'));
                            }
                            const writes = [];
                            for (const byte of chunk) {
                                port.arrivals.push({ byte, at: port.now() });
                                if (port.writeBehaviour) {
                                    writes.push(port.writeBehaviour(byte));
                                }
                            }
                            return Promise.all(writes).then(() => undefined);
                        },
                        close() {
                            return Promise.resolve();
                        },
                        releaseLock() {},
                    };
                },
            };
        }

        async close() {
            this.isOpen = false;
            ++this.closeCount;
        }

        bytes() {
            return this.arrivals.map((a) => a.byte);
        }
    }

    class FakeSerial {
        constructor() {
            this.granted = [];
            this.offered = null; // the port requestPort() hands out; null: the user cancels
            this.listeners = { connect: [], disconnect: [] };
        }

        getPorts() {
            return Promise.resolve([...this.granted]);
        }

        requestPort() {
            if (!this.offered) {
                const e = new Error('No port selected by the user.');
                e.name = 'NotFoundError';
                return Promise.reject(e);
            }
            if (!this.granted.includes(this.offered)) {
                this.granted.push(this.offered);
            }
            return Promise.resolve(this.offered);
        }

        addEventListener(type, listener) {
            this.listeners[type].push(listener);
        }

        // The board is plugged in or out.
        fire(type, port) {
            if (type === 'disconnect') {
                this.granted = this.granted.filter((p) => p !== port);
            } else if (!this.granted.includes(port)) {
                this.granted.push(port);
            }
            for (const listener of this.listeners[type]) {
                listener({ type, target: port });
            }
        }
    }

    const api = { FakePort, FakeSerial };
    // Under node (tests) a module; in the page (inside the program's
    // script, where Module is defined, or on its own) a global.
    if (typeof module !== 'undefined' && module.exports && typeof Module === 'undefined') {
        module.exports = api;
    } else {
        root.PavluneFakeSerial = api;
    }
})(typeof globalThis !== 'undefined' ? globalThis : this);
