// The page's side of the serial link: the ports the user has allowed this
// site (navigator.serial), the choice of a new one, their coming and going,
// and transfers that run a schedule (serial-pacer.js) on an open port. The
// program asks and polls through plain calls, once a frame; nothing here
// calls into it.
(function (root) {
    'use strict';

    const Pacer =
        typeof module !== 'undefined' && module.exports && typeof Module === 'undefined'
            ? require('./serial-pacer.js')
            : root.PavluneSerialPacer;

    // A write that the port does not take within this long has failed: a
    // line that stopped draining must not hold the send for ever.
    const WRITE_DEADLINE_MS = 3000;
    // The board's line.
    const LINE = { baudRate: 115200, dataBits: 8, parity: 'none', stopBits: 1, flowControl: 'none' };

    // `promise`'s value, or `fallback` once `ms` have passed.
    function within(promise, ms, fallback) {
        let timer = null;
        const late = new Promise((resolve) => {
            timer = setTimeout(() => resolve(fallback), ms);
        });
        return Promise.race([promise, late]).then((value) => {
            clearTimeout(timer);
            return value;
        });
    }

    function hex4(n) {
        return ('000' + n.toString(16).toUpperCase()).slice(-4);
    }

    // Why an open failed, as the program's port errors name it.
    function openFailureKind(error) {
        const name = error && error.name;
        if (name === 'InvalidStateError' || name === 'NetworkError') {
            return 'busy'; // open already, here or in another program
        }
        if (name === 'NotFoundError') {
            return 'noSuchDevice';
        }
        if (refusedByPolicy(error)) {
            return 'blocked';
        }
        return 'other';
    }

    // The browser's settings (a school's policy, a frame without the
    // permission) forbid serial ports; a user who closed the chooser is no
    // refusal (NotFoundError).
    function refusedByPolicy(error) {
        const name = error && error.name;
        return name === 'SecurityError' || name === 'NotAllowedError';
    }

    class WebSerialLink {
        // `serial` is navigator.serial (or a stand-in); `clock` {now, sleepUntil}.
        constructor(serial, clock, writeDeadlineMs) {
            this.serial = serial || null;
            this.clock = clock || Pacer.makeWorkerClock();
            this.writeDeadlineMs = writeDeadlineMs || WRITE_DEADLINE_MS;
            this.ports = [];
            this.changes = 0; // counts every change of the list
            this.choices = 0; // counts the user's choices in the browser's chooser
            this.refusals = 0; // counts the choosers the browser's settings refused
            this.chooseArea = null;
            this.onChange = null; // told when changes or choices count up
            this.chosenIndex = -1; // the last chosen port's place in the list
            this.transfers = new Map();
            this.nextTransfer = 1;
            if (this.serial && this.serial.addEventListener) {
                const changed = () => this.refresh();
                this.serial.addEventListener('connect', changed);
                this.serial.addEventListener('disconnect', changed);
            }
        }

        available() {
            return this.serial !== null;
        }

        // The program's "choose a board" button, drawn on the canvas: a press
        // that begins and ends inside `area` (fractions of the canvas, from
        // its top left: [left, top, right, bottom]; null when the button is
        // not shown) opens the browser's chooser from the release's own
        // event, the only moment the browser allows it.
        watchChooseButton(canvas) {
            let armed = false;
            const inside = (e) => {
                const area = this.chooseArea;
                const box = canvas.getBoundingClientRect();
                if (!area || !box.width || !box.height) {
                    return false;
                }
                const x = (e.clientX - box.left) / box.width;
                const y = (e.clientY - box.top) / box.height;
                return x >= area[0] && x <= area[2] && y >= area[1] && y <= area[3];
            };
            canvas.addEventListener('pointerdown', (e) => {
                armed = inside(e);
            }, true);
            canvas.addEventListener('pointerup', (e) => {
                if (armed && inside(e)) {
                    this.choose();
                }
                armed = false;
            }, true);
            canvas.addEventListener('pointercancel', () => {
                armed = false;
            }, true);
        }

        setChooseArea(left, top, right, bottom) {
            this.chooseArea = right > left && bottom > top ? [left, top, right, bottom] : null;
        }

        // The allowed ports that are present now.
        async refresh() {
            if (!this.serial) {
                return this.ports;
            }
            let ports;
            try {
                ports = await this.serial.getPorts();
            } catch (e) {
                return this.ports; // kept as it was: the browser could not be asked
            }
            const same = ports.length === this.ports.length && ports.every((port, i) => port === this.ports[i]);
            if (!same) {
                this.ports = ports;
                ++this.changes;
                this.changed();
            }
            return this.ports;
        }

        changed() {
            if (this.onChange) {
                this.onChange();
            }
        }

        // Must be called while the page handles the user's press: the browser
        // shows its port chooser only then. Resolves to the chosen port's index
        // in the list, or -1 when the user closed the chooser or the browser
        // refused it (then refusals counts up).
        async choose() {
            if (!this.serial) {
                return -1;
            }
            let port;
            try {
                port = await this.serial.requestPort();
            } catch (e) {
                if (refusedByPolicy(e)) {
                    ++this.refusals;
                    this.changed();
                }
                return -1;
            }
            await this.refresh();
            let index = this.ports.indexOf(port);
            if (index < 0) {
                this.ports = [...this.ports, port];
                index = this.ports.length - 1;
                ++this.changes;
            }
            this.chosenIndex = index;
            ++this.choices;
            this.changed();
            return index;
        }

        // "USB 2341:0043" for a USB adapter, "シリアルポート" otherwise.
        describe(index) {
            const port = this.ports[index];
            const info = port && port.getInfo ? port.getInfo() : {};
            if (info.usbVendorId !== undefined) {
                return 'USB ' + hex4(info.usbVendorId) + ':' + hex4(info.usbProductId || 0);
            }
            return 'シリアルポート';
        }

        // Starts carrying out `steps` on port `index`; returns the transfer's
        // number for poll() and stop().
        start(index, steps) {
            const id = this.nextTransfer++;
            const transfer = { state: 'running', position: 0, kind: '', reason: '', stop: false, received: [] };
            this.transfers.set(id, transfer);
            transfer.finished = this.run(this.ports[index], steps, transfer);
            return id;
        }

        // {state: 'running' | 'done' | 'stopped' | 'writeFailed' | 'openFailed',
        //  position, kind, reason}; a finished transfer is forgotten once polled.
        poll(id) {
            const transfer = this.transfers.get(id);
            if (!transfer) {
                return { state: 'unknown', position: 0, kind: '', reason: '' };
            }
            if (transfer.state !== 'running') {
                this.transfers.delete(id);
            }
            return { state: transfer.state, position: transfer.position, kind: transfer.kind, reason: transfer.reason };
        }

        stop(id) {
            const transfer = this.transfers.get(id);
            if (transfer) {
                transfer.stop = true;
            }
        }

        async run(port, steps, transfer) {
            if (!port) {
                Object.assign(transfer, { state: 'openFailed', kind: 'noSuchDevice' });
                return;
            }
            try {
                await port.open(LINE);
            } catch (e) {
                Object.assign(transfer, { state: 'openFailed', kind: openFailureKind(e), reason: String(e && e.message) });
                return;
            }
            const reading = this.drain(port, transfer);
            let writer = null;
            let outcome = { outcome: 'writeFailed', position: 0 };
            try {
                writer = port.writable.getWriter();
                const clock = this.clock;
                outcome = await Pacer.runSchedule(steps, {
                    now: () => clock.now(),
                    sleepUntil: (t, wake) => clock.sleepUntil(t, wake),
                    stopRequested: () => transfer.stop,
                    progress: (done) => {
                        transfer.position = done;
                    },
                    write: (byte) => this.writeWithin(writer, byte, transfer),
                });
            } catch (e) {
                // the port went away under the writer: a failed write
                Object.assign(transfer, { kind: 'deviceGone', reason: String(e && e.message) });
            }
            await this.close(port, writer, reading, transfer);
            transfer.position = outcome.position;
            transfer.state = outcome.outcome;
        }

        // One byte; false when it failed or was not taken in time, and then
        // the transfer says why: the browser's words, or the deadline in ms.
        writeWithin(writer, byte, transfer) {
            // A writer that throws at once (released, errored) fails here too.
            const written = Promise.resolve()
                .then(() => writer.write(new Uint8Array([byte])))
                .then(
                    () => ({ ok: true }),
                    (e) => ({ ok: false, kind: 'other', reason: String(e && e.message) })
                );
            const late = { ok: false, kind: 'deadline', reason: String(this.writeDeadlineMs) };
            return within(written, this.writeDeadlineMs, late).then((result) => {
                if (!result.ok) {
                    Object.assign(transfer, { kind: result.kind, reason: result.reason });
                }
                return result.ok;
            });
        }

        // Reads what the board answers while the transfer runs, so its
        // buffer never fills; the answer is kept with the transfer.
        async drain(port, transfer) {
            if (!port.readable) {
                return;
            }
            let reader;
            try {
                reader = port.readable.getReader();
            } catch (e) {
                return;
            }
            transfer.reader = reader;
            try {
                for (;;) {
                    const { value, done } = await reader.read();
                    if (done) {
                        break;
                    }
                    if (value && transfer.received.length < 65536) {
                        transfer.received.push(...value);
                    }
                }
            } catch (e) {
                // the port closed or went away
            }
            try {
                reader.releaseLock();
            } catch (e) {
                // already released
            }
        }

        async close(port, writer, reading, transfer) {
            // Nothing here may hold the page: a writer that does not finish
            // within the deadline is abandoned.
            try {
                if (writer) {
                    await within(writer.close(), this.writeDeadlineMs, undefined);
                    writer.releaseLock();
                }
            } catch (e) {
                // the port went away
            }
            if (transfer.reader) {
                try {
                    await transfer.reader.cancel();
                } catch (e) {
                    // already done
                }
                transfer.reader = null;
            }
            await reading;
            try {
                await port.close();
            } catch (e) {
                // closed already, or gone
            }
        }
    }

    const api = { WebSerialLink, openFailureKind, LINE, WRITE_DEADLINE_MS };
    // Under node (tests) a module; in the page (inside the program's
    // script, where Module is defined, or on its own) a global.
    if (typeof module !== 'undefined' && module.exports && typeof Module === 'undefined') {
        module.exports = api;
    } else {
        root.PavluneWebSerialLink = api;
    }
})(typeof globalThis !== 'undefined' ? globalThis : this);
