// The pacer and the page's serial link on a virtual clock and a fake port.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const { runSchedule, nominalGaps, makeSleeper } = require('../serial-pacer.js');
const { WebSerialLink, openFailureKind } = require('../web-serial-link.js');
const { FakePort, FakeSerial } = require('./fake-serial.js');

// Time moves only when someone sleeps (to the deadline, plus whatever
// lateness the test asks for) or a write takes time.
class VirtualClock {
    constructor(lateness = () => 0) {
        this.t = 0;
        this.lateness = lateness;
        this.sleeps = 0;
    }
    now() {
        return this.t;
    }
    async sleepUntil(deadline) {
        this.t = Math.max(this.t, deadline) + this.lateness(this.sleeps++);
    }
}

// "AB" at 50 ms a character, echoed: written by hand from the line time of
// 86.806 µs a byte at 115200 baud.
const echoedAB = [[2], [0, 65], [3], [1, 50, 50087], [2], [0, 66], [3], [1, 50, 100174]];

function pacedRun(steps, clock, { writeMs = 0, stopAfter = Infinity, failAt = -1, throwAt = -1 } = {}) {
    const writes = [];
    const io = {
        now: () => clock.now(),
        sleepUntil: (t) => clock.sleepUntil(t),
        stopRequested: () => writes.length >= stopAfter,
        write: async (byte) => {
            const index = writes.length;
            writes.push({ byte, at: clock.now() });
            clock.t += writeMs;
            if (index === throwAt) {
                throw new Error('device lost');
            }
            return index !== failAt;
        },
    };
    return runSchedule(steps, io).then((result) => ({ result, writes }));
}

test('a punctual clock keeps the deadlines, line time included', async () => {
    const { result, writes } = await pacedRun(echoedAB, new VirtualClock());
    assert.deepEqual(result, { outcome: 'done', position: echoedAB.length });
    assert.deepEqual(
        writes.map((w) => [w.byte, w.at]),
        [
            [65, 0],
            [66, 50.087],
        ]
    );
});

test('late wake-ups and slow writes never make a pause shorter than nominal', async () => {
    const steps = [];
    for (let k = 0; k < 20; ++k) {
        steps.push([0, 48 + k], [3], [1, 50, (k + 1) * 50087]);
    }
    const cases = [
        { name: 'one wake-up 40 ms late', lateness: (n) => (n === 3 ? 40 : 0), writeMs: 0 },
        { name: 'every wake-up 7 ms late', lateness: () => 7, writeMs: 0 },
        { name: 'writes that take 2 ms', lateness: () => 0, writeMs: 2 },
        { name: 'both', lateness: (n) => (n % 3 === 0 ? 11 : 0), writeMs: 1.5 },
    ];
    for (const c of cases) {
        const { result, writes } = await pacedRun(steps, new VirtualClock(c.lateness), { writeMs: c.writeMs });
        assert.equal(result.outcome, 'done', c.name);
        assert.equal(writes.length, 20, c.name);
        for (let k = 1; k < writes.length; ++k) {
            const gap = writes[k].at - writes[k - 1].at - c.writeMs;
            assert.ok(gap >= 50 - 1e-9, `${c.name}: gap ${gap} ms before byte ${k}`);
        }
    }
});

test('a stop request ends at the next check, the byte just written stays sent', async () => {
    const { result, writes } = await pacedRun(echoedAB, new VirtualClock(), { stopAfter: 1 });
    assert.deepEqual(result, { outcome: 'stopped', position: 2 });
    assert.deepEqual(
        writes.map((w) => w.byte),
        [65]
    );
});

test('a byte the port refuses or throws on ends the run there', async () => {
    for (const how of [{ failAt: 0 }, { throwAt: 0 }]) {
        const { result, writes } = await pacedRun(echoedAB, new VirtualClock(), how);
        assert.deepEqual(result, { outcome: 'writeFailed', position: 1 }, JSON.stringify(how));
        assert.equal(writes.length, 1);
    }
});

test('the sleep waits again when its timer fires early, never returning before the deadline', async () => {
    let t = 0;
    let waits = 0;
    const early = makeSleeper(
        () => t,
        async (left) => {
            ++waits;
            t += left / 2 + 0.001; // fires at about half the time left
        }
    );
    await early(10);
    assert.ok(t >= 10, `returned at ${t}`);
    assert.ok(waits > 1);
});

test('a stop during a pause at a safe point ends it within a slice; a pause inside an instruction runs out', async () => {
    // Steps written by hand: "A", its stop check, a 1 s pause (due at 1 s),
    // then a que-like group whose pauses are not at a safe point.
    const text = [[0, 65], [3], [1, 1000, 1000000], [0, 66], [3]];
    const group = [[1, 300, 300000], [0, 1], [1, 300, 600000], [0, 2], [3]];
    for (const [steps, stopAt, expected, endsBy] of [
        [text, 100, { outcome: 'stopped', position: 2 }, 120],
        [group, 100, { outcome: 'stopped', position: 4 }, 600],
        [text, Infinity, { outcome: 'done', position: 5 }, 1000],
    ]) {
        let t = 0;
        const sleepUntil = makeSleeper(() => t, async (left) => { t += left; });
        const written = [];
        const result = await runSchedule(steps, {
            now: () => t,
            sleepUntil,
            stopRequested: () => t >= stopAt,
            write: async (byte) => { written.push(byte); return true; },
        });
        assert.deepEqual(result, expected, JSON.stringify(steps));
        assert.ok(t <= endsBy, `ended at ${t} ms, not by ${endsBy}`);
        assert.ok(t >= (expected.outcome === 'done' ? 1000 : Math.min(stopAt, 600)), `ended early at ${t} ms`);
        if (steps === group) assert.deepEqual(written, [1, 2], 'an instruction is never cut');
    }
});

test('the smallest gaps between writes add the pauses between them', () => {
    // Text pauses after a byte, que before one; the padding after a stop check.
    const steps = [[1, 3, 3000], [0, 1], [1, 3, 6087], [0, 2], [3], [0, 3], [1, 5, 1], [1, 2, 1], [0, 4], [1, 9, 1]];
    assert.deepEqual(nominalGaps(steps), [3, 0, 7]);
});

function fakeLink() {
    const serial = new FakeSerial();
    const clock = new VirtualClock();
    const port = new FakePort({ usbVendorId: 0x2341, usbProductId: 0x43 }, () => clock.now());
    serial.granted.push(port);
    return { serial, clock, port, link: new WebSerialLink(serial, clock, 20) };
}

async function finish(link, id) {
    for (;;) {
        const state = link.poll(id);
        if (state.state !== 'running') {
            return state;
        }
        await new Promise((r) => setImmediate(r));
    }
}

test('a transfer opens the board line, sends every byte, closes and reports once', async () => {
    const { link, port } = fakeLink();
    await link.refresh();
    assert.equal(link.describe(0), 'USB 2341:0043');
    port.answer = [0x4f, 0x4b];
    const id = link.start(0, echoedAB);
    const state = await finish(link, id);
    assert.deepEqual(state, { state: 'done', position: echoedAB.length, kind: '', reason: '' });
    assert.deepEqual(port.openedWith, { baudRate: 115200, dataBits: 8, parity: 'none', stopBits: 1, flowControl: 'none' });
    assert.deepEqual(port.bytes(), [65, 66]);
    assert.equal(port.isOpen, false);
    assert.equal(link.poll(id).state, 'unknown');
});

test('stop() ends a running transfer at its next check and closes the port', async () => {
    const { link, port } = fakeLink();
    await link.refresh();
    const steps = [];
    for (let k = 0; k < 100; ++k) {
        steps.push([0, k], [3], [1, 5, (k + 1) * 5087]);
    }
    port.writeBehaviour = (byte) => {
        if (byte === 9) {
            link.stop(id);
        }
        return Promise.resolve();
    };
    const id = link.start(0, steps);
    const state = await finish(link, id);
    assert.equal(state.state, 'stopped');
    assert.equal(port.bytes().length, 10);
    assert.equal(port.isOpen, false);
});

test('a port that will not open, or a write that never ends, fails with a reason', async () => {
    const { link, port } = fakeLink();
    await link.refresh();
    const busy = new Error('Failed to open serial port.');
    busy.name = 'NetworkError';
    port.openError = busy;
    assert.deepEqual(await finish(link, link.start(0, echoedAB)), {
        state: 'openFailed',
        position: 0,
        kind: 'busy',
        reason: 'Failed to open serial port.',
    });
    assert.equal(port.bytes().length, 0);

    port.openError = null;
    port.writeBehaviour = () => new Promise(() => {}); // the line stopped draining
    const stuck = await finish(link, link.start(0, echoedAB));
    assert.deepEqual([stuck.state, stuck.kind, stuck.reason], ['writeFailed', 'deadline', '20']);
    assert.equal(port.isOpen, false);

    port.writeBehaviour = () => Promise.reject(new Error('The device has been lost.'));
    const lost = await finish(link, link.start(0, echoedAB));
    assert.deepEqual([lost.state, lost.kind, lost.reason], ['writeFailed', 'other', 'The device has been lost.']);

    assert.equal((await finish(link, link.start(5, echoedAB))).kind, 'noSuchDevice');
});

test('open failures are named as the program names them', () => {
    const named = (name) => Object.assign(new Error(''), { name });
    assert.equal(openFailureKind(named('InvalidStateError')), 'busy');
    assert.equal(openFailureKind(named('NotFoundError')), 'noSuchDevice');
    assert.equal(openFailureKind(named('SecurityError')), 'blocked');
    assert.equal(openFailureKind(named('NotAllowedError')), 'blocked');
    assert.equal(openFailureKind(named('TypeError')), 'other');
});

test('choosing a port and ports coming and going are counted once each', async () => {
    const { link, serial, port } = fakeLink();
    let told = 0;
    link.onChange = () => ++told;
    await link.refresh();
    assert.deepEqual([link.changes, link.ports.length, told], [1, 1, 1], 'the first look finds the allowed board');
    assert.equal(await link.choose(), -1, 'the user closed the chooser');
    assert.equal(link.choices, 0);
    const second = new FakePort({});
    serial.offered = second;
    assert.equal(await link.choose(), 1);
    assert.deepEqual([link.changes, link.choices, link.chosenIndex], [2, 1, 1]);
    assert.equal(link.describe(1), 'シリアルポート');
    serial.offered = port; // chosen again: no new port, but a choice
    assert.equal(await link.choose(), 0);
    assert.deepEqual([link.changes, link.choices, link.chosenIndex], [2, 2, 0]);
    serial.fire('disconnect', port);
    await new Promise((r) => setImmediate(r));
    assert.equal(link.changes, 3);
    assert.deepEqual(link.ports, [second]);
    await link.refresh(); // nothing new
    assert.equal(link.changes, 3);
    assert.equal(told, 5, 'each change and each choice told once');
});

test('a chooser refused by the browser\'s settings is counted, a closed one is not', async () => {
    const { link, serial } = fakeLink();
    let told = 0;
    link.onChange = () => ++told;
    const refusing = (name) => () => Promise.reject(Object.assign(new Error('refused'), { name }));
    const table = [
        ['NotFoundError', 0],
        ['SecurityError', 1],
        ['NotAllowedError', 2],
    ];
    for (const [name, refusals] of table) {
        serial.requestPort = refusing(name);
        assert.equal(await link.choose(), -1, name);
        assert.deepEqual([link.refusals, link.choices, told], [refusals, 0, refusals], name);
    }
});

test('the choose button opens the chooser inside the release that ends a press on it', () => {
    const { link, serial } = fakeLink();
    const canvas = new EventTarget();
    canvas.getBoundingClientRect = () => ({ left: 100, top: 50, width: 1024, height: 768 });
    link.watchChooseButton(canvas);
    let asked = 0;
    serial.requestPort = () => {
        ++asked;
        return new Promise(() => {});
    };
    const press = (type, x, y) => {
        const e = new Event(type);
        Object.assign(e, { clientX: 100 + x * 1024, clientY: 50 + y * 768 });
        canvas.dispatchEvent(e);
    };
    const tap = (down, up) => {
        press('pointerdown', ...down);
        press('pointerup', ...up);
    };
    tap([0.5, 0.95], [0.5, 0.95]);
    assert.equal(asked, 0, 'no button shown');
    link.setChooseArea(0.4, 0.9, 0.6, 1.0);
    tap([0.5, 0.95], [0.5, 0.95]);
    assert.equal(asked, 1, 'asked during the release itself');
    tap([0.5, 0.5], [0.5, 0.95]);
    tap([0.5, 0.95], [0.7, 0.95]);
    assert.equal(asked, 1, 'a press that began or ended outside');
    link.setChooseArea(0, 0, 0, 0);
    tap([0.5, 0.95], [0.5, 0.95]);
    assert.equal(asked, 1, 'the button hidden again');
});
