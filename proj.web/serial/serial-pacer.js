// Carries out a transfer schedule (TransferSchedule::toJson) on a Web Serial
// writer against absolute deadlines, like the desktop's PacedPortWriter: each
// pause ends at the schedule's deadline, or its nominal length after the last
// write ended when that is later, so a late wake-up is taken back by the
// following pauses and no pause is ever shorter than nominal. Unlike the
// desktop's, a pause runs from the write's end: the page cannot see when a
// byte leaves (a write resolves when the stream takes it), and counted from
// its start the bytes arrived up to 0.4 ms closer than nominal in Chromium.
// Everything is awaited: the page keeps drawing frames while a send runs.
//
// Steps: [0, byte] a write, [1, ms, dueMicroseconds] a pause, [2] an echo (the
// page shows the text the schedule holds for it), [3] a stop check. A pause
// that follows a stop check is at the same safe point, so a stop asked for
// during it ends it at once instead of after up to two seconds.
(function (root) {
    'use strict';

    const WRITE = 0;
    const PAUSE = 1;
    const STOP_CHECK = 3;

    // io.write(byte) -> Promise<boolean>, io.now() -> ms, io.sleepUntil(ms,
    // wake) -> Promise<boolean> (false when `wake()` ended it early; `wake` may
    // be absent), io.stopRequested() -> boolean, io.progress(stepsDone) (optional).
    // Resolves to {outcome: 'done' | 'stopped' | 'writeFailed', position}, the
    // position being the steps carried out.
    async function runSchedule(steps, io) {
        const start = io.now();
        let pauseFrom = start;
        for (let i = 0; i < steps.length; ++i) {
            const step = steps[i];
            if (step[0] === WRITE) {
                let ok = false;
                try {
                    ok = await io.write(step[1]);
                } catch (e) {
                    ok = false;
                }
                pauseFrom = io.now();
                if (!ok) {
                    return { outcome: 'writeFailed', position: i };
                }
            } else if (step[0] === PAUSE) {
                pauseFrom = Math.max(start + step[2] / 1000, pauseFrom + step[1]);
                const stoppable = i > 0 && steps[i - 1][0] === STOP_CHECK;
                if ((await io.sleepUntil(pauseFrom, stoppable ? io.stopRequested : undefined)) === false) {
                    return { outcome: 'stopped', position: i };
                }
            } else if (step[0] === STOP_CHECK && io.stopRequested()) {
                return { outcome: 'stopped', position: i };
            }
            if (io.progress) {
                io.progress(i + 1);
            }
        }
        return { outcome: 'done', position: steps.length };
    }

    // The smallest gap the schedule allows between write k and write k + 1
    // (the pauses between them), for checking what a port received.
    function nominalGaps(steps) {
        const gaps = [];
        let pending = null;
        for (const step of steps) {
            if (step[0] === WRITE) {
                if (pending !== null) {
                    gaps.push(pending);
                }
                pending = 0;
            } else if (step[0] === PAUSE && pending !== null) {
                pending += step[1];
            }
        }
        return gaps;
    }

    // A sleep that never returns before its deadline, on any clock whose
    // timer may fire early or late: it waits again for what is left. Given
    // `wake`, it looks at it every WAKE_SLICE ms and returns false as soon as
    // it says so; otherwise it resolves to true at the deadline.
    const WAKE_SLICE = 20;
    function makeSleeper(now, waitAbout) {
        return async function sleepUntil(deadline, wake) {
            for (;;) {
                const left = deadline - now();
                if (left <= 0) {
                    return true;
                }
                if (wake && wake()) {
                    return false;
                }
                const until = wake ? Math.min(deadline, now() + WAKE_SLICE) : deadline;
                await waitAbout(until - now(), until);
            }
        };
    }

    // Timers in a dedicated worker: a background tab slows the page's own
    // timers to about one a second, a worker's keep their time. The worker
    // waits for an absolute moment (in the epoch, so both clocks agree) and
    // answers with a message, which is not slowed either. A timer fires a
    // millisecond or more late, so the worker sets it a millisecond early and
    // watches the clock for the rest (only while a send waits).
    const workerSource =
        'onmessage = function (e) {' +
        '  var id = e.data.id, at = e.data.at;' +
        '  (function check() {' +
        '    var left = at - (performance.timeOrigin + performance.now());' +
        '    if (left <= 0) { postMessage(id); } else if (left <= 1) { while (at > performance.timeOrigin + performance.now()) {} postMessage(id); } else { setTimeout(check, left - 1); }' +
        '  })();' +
        '};';

    function makeWorkerClock() {
        const now = () => performance.now();
        if (typeof Worker === 'undefined' || typeof Blob === 'undefined' || typeof URL === 'undefined') {
            return { now, sleepUntil: makeSleeper(now, (left) => new Promise((r) => setTimeout(r, left))), worker: false };
        }
        const url = URL.createObjectURL(new Blob([workerSource], { type: 'text/javascript' }));
        const worker = new Worker(url);
        let nextId = 1;
        const waiting = new Map();
        worker.onmessage = (e) => {
            const resolve = waiting.get(e.data);
            waiting.delete(e.data);
            if (resolve) {
                resolve();
            }
        };
        const waitAbout = (left, deadline) =>
            new Promise((resolve) => {
                const id = nextId++;
                waiting.set(id, resolve);
                worker.postMessage({ id, at: performance.timeOrigin + deadline });
            });
        return { now, sleepUntil: makeSleeper(now, waitAbout), worker: true };
    }

    const api = { runSchedule, nominalGaps, makeSleeper, makeWorkerClock };
    // Under node (tests) a module; in the page (inside the program's
    // script, where Module is defined, or on its own) a global.
    if (typeof module !== 'undefined' && module.exports && typeof Module === 'undefined') {
        module.exports = api;
    } else {
        root.PavluneSerialPacer = api;
    }
})(typeof globalThis !== 'undefined' ? globalThis : this);
