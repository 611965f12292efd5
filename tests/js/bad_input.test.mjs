// Bad input from JavaScript gets a TalluxError carrying the component's
// error number, or the method's result, and never breaks the instance.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { METHOD_NAMES, tallux } from './support.mjs';

const { Tallux, TalluxError, RecordingTarget } = tallux;
const bc = new Tallux();

function raises(f, number, where) {
    assert.throws(f, (e) => {
        assert.ok(e instanceof TalluxError, `${where}: ${e}`);
        assert.equal(e.number, number, `${where}: ${e.message}`);
        return true;
    }, where);
}

// The instance draws as before: the same EAN-13 as the very first one.
const firstDrawing = new RecordingTarget();
bc.BarEAN13(firstDrawing, { code: '400638133393' });
function stillDraws() {
    const r = new RecordingTarget();
    assert.deepEqual(bc.BarEAN13(r, { code: '400638133393' }), { result: 0, code: '400638133393' });
    assert.deepEqual(r.calls, firstDrawing.calls);
}

test('parameters of the wrong type or range are raised before anything is drawn', () => {
    const rows = [
        [{ x: 'abc' }, 13], [{ x: null }, 94], [{ x: {} }, 13], [{ x: [1] }, 13], [{ x: 1e39 }, 6],
        [{ y: Symbol('y') }, 13], [{ width: 40000 }, 6], [{ width: NaN }, 6], [{ height: -32769 }, 6],
        [{ text: () => 1 }, 13], [{ code: null }, 94], [{ code: {} }, 13], [{ code: true }, 13],
        [{ font: [] }, 13], [{ ratio: null }, 94], [{ foreColor: 2 ** 32 }, 6], [{ lineColor: -(2 ** 31) - 1 }, 6],
        [{ bold: 'yes' }, 13], [{ chk: {} }, 13], [{ hieght: 10 }, 448], [{ Code: 'A' }, 448],
        [{ code: 'x'.repeat((1 << 24) + 1) }, 7],
    ];
    for (const [p, number] of rows) {
        const r = new RecordingTarget();
        raises(() => bc.BarCODE39(r, p), number, JSON.stringify(p, (k, v) => (typeof v === 'string' && v.length > 20 ? `${v.length} characters` : v)));
        assert.equal(r.calls.length, 0);
    }
    raises(() => bc.BarEAN13(new RecordingTarget(), 'code'), 13, 'parameters as a string');
    raises(() => bc.BarEAN13(42, {}), 13, 'a number as the target');
    raises(() => bc.draw(15, new RecordingTarget(), {}), 5, 'no method 15');
    raises(() => bc.draw('7', new RecordingTarget(), {}), 5, 'a type as text');
    raises(() => { bc.SupBarType = 70000; }, 6, 'SupBarType beyond 16 bits');
    assert.equal(bc.SupBarType, 0);
    bc.SupBarType = tallux.tBarcodeType.UPC_E;
    assert.equal(bc.SupBarType, 14);
    raises(() => bc.ShowAboutBox(), 429, 'no dialog');
    // What converts as a dispatch call converts: numbers as text, text as numbers.
    const r = new RecordingTarget();
    assert.deepEqual(bc.BarEAN13(r, { code: 400638133393, x: '10', width: true ? 2 : 0, foreColor: 0x80000008 }),
        { result: 0, code: '400638133393' });
    assert.equal(r.calls[1].value, 0x80000008 | 0);
    stillDraws();
});

// A plain object with the ten members, recording into `log`; `change`
// takes members away or replaces them.
function plainTarget(log, change = {}) {
    const t = {
        set FontName(v) { log.push('FontName'); },
        set ForeColor(v) { log.push('ForeColor'); },
        FontBold: undefined,
        FontSize(v) { log.push('FontSize'); },
        CurrentX: 0,
        set CurrentY(v) { log.push('CurrentY'); },
        Line() { log.push('Line'); },
        Print() { log.push('Print'); },
        TextWidth() { log.push('TextWidth'); return 7; },
        TextHeight() { log.push('TextHeight'); return 12; },
    };
    for (const [k, v] of Object.entries(change)) {
        if (v === undefined) delete t[k];
        else Object.defineProperty(t, k, { value: v, writable: true, configurable: true, enumerable: true });
    }
    return t;
}

test('a target lacking a member gets 438 at that member and no call after it', () => {
    const members = ['FontName', 'ForeColor', 'FontBold', 'FontSize', 'CurrentX', 'CurrentY', 'Line', 'Print', 'TextWidth'];
    for (const member of members) {
        const log = [];
        const { result, code } = bc.BarCODE39(plainTarget(log, { [member]: undefined }), { code: 'AB', text: 1 });
        assert.equal(result, 438, member);
        assert.equal(code, 'AB');
        const full = [];
        bc.BarCODE39(plainTarget(full), { code: 'AB', text: 1 });
        // Calls up to the lacking member, none after: the log is a prefix of the full one.
        const recorded = full.slice(0, log.length);
        assert.deepEqual(log, recorded, member);
        assert.ok(log.length < full.length, member);
    }
    // A read-only property is a member that cannot be put.
    const readOnly = plainTarget([]);
    Object.defineProperty(readOnly, 'FontName', { get: () => 'Arial', set: undefined });
    assert.equal(bc.BarEAN8(readOnly, { code: '9638507' }).result, 438);
    // The recording target's own failures: a lacking member and the nth call.
    const lacking = new RecordingTarget();
    lacking.lack('Print');
    assert.equal(bc.BarEAN13(lacking, { code: '400638133393' }).result, 438);
    assert.deepEqual(lacking.calls.at(-1), { call: 'Print', text: '4', failed: true });
    const failing = new RecordingTarget();
    failing.failOn('Line', 3, 31000);
    assert.equal(bc.BarEAN13(failing, { code: '400638133393', text: 0 }).result, 31000);
    assert.equal(failing.calls.length, 4 + 3);
    // No target at all: 91, as an object variable that is not set.
    assert.deepEqual(bc.BarCODE128(null, { code: 'BX' }), { result: 91, code: 'BX' });
    assert.deepEqual(bc.BarEAN13(undefined, {}), { result: 91, code: '000000000000' });
    stillDraws();
});

test('what a target throws becomes the result, or is raised when its number does not fit 16 bits', () => {
    const throwing = (thrown) => {
        const log = [];
        let lines = 0;
        return {
            log,
            target: plainTarget(log, {
                Line() {
                    log.push('Line');
                    if (++lines === 10) throw thrown;
                },
            }),
        };
    };
    const numbered = (number) => Object.assign(new Error('refused'), { number });
    const rows = [
        [numbered(1234), 1234], [numbered(-2146828283), 5] /* 0x800A0005 */, [numbered(0x800A01B6), 438],
        [new TypeError('not a function'), 440], ['a string', 440], [undefined, 440], [numbered(0), 5],
        [numbered(2.5), 440],
    ];
    for (const [thrown, number] of rows) {
        const { log, target } = throwing(thrown);
        const out = bc.BarCODE93(target, { code: 'TEST93', text: 1 });
        assert.equal(out.result, number, String(thrown));
        assert.equal(out.error, thrown);
        assert.equal(log.filter((c) => c === 'Line').length, 10, 'no call after the tenth Line');
        assert.equal(log.at(-1), 'Line');
    }
    for (const number of [70000, -40000, 2 ** 40]) {
        const { log, target } = throwing(numbered(number));
        assert.throws(() => bc.BarCODE93(target, { code: 'TEST93' }), (e) => {
            assert.equal(e.number, 6);
            assert.equal(e.cause.number, number);
            assert.equal(e.pCode, 'TEST93');
            return true;
        });
        assert.equal(log.at(-1), 'Line');
    }
    // A measuring member that answers no number.
    for (const [answer, result] of [['abc', 13], [null, 94], [{}, 13], ['12.5', 0], [undefined, 0], [true, 0], [10n, 0]]) {
        const target = plainTarget([], { TextWidth: () => answer });
        assert.equal(bc.BarCODE39(target, { code: 'AB', text: 1 }).result, result, String(answer));
    }
    // Members that throw while being looked up.
    const trap = new Proxy({}, { getOwnPropertyDescriptor() { throw numbered(777); }, get() { throw numbered(778); } });
    assert.equal(bc.BarCODE39(trap, { code: 'A' }).result, 777);
    stillDraws();
});

test('a target may draw with the control from inside its own members', () => {
    const inner = new RecordingTarget();
    const outer = new RecordingTarget();
    let nested = 0;
    outer.Line = function (...args) {
        RecordingTarget.prototype.Line.apply(this, args);
        if (nested++ === 0) assert.deepEqual(bc.BarEAN8(inner, { code: '9638507' }), { result: 0, code: '9638507' });
    };
    assert.deepEqual(bc.BarCODE39(outer, { code: 'AB' }), { result: 0, code: 'AB' });
    assert.equal(inner.calls.filter((c) => c.call === 'Line').length, 67);
    assert.equal(outer.calls.filter((c) => c.call === 'Line').length, 4 * 10 - 1);
    // Drawing from the first Line of every drawing goes deeper until the
    // nesting limit: the drawing whose target met it returns 28 (out of
    // stack space), the others finish.
    const results = [];
    const deeper = () => plainTarget([], {
        lines: 0,
        Line() {
            if (this.lines++ === 0) results.push(bc.BarEAN13(deeper(), { code: '1' }).result);
        },
    });
    assert.equal(bc.BarEAN13(deeper(), { code: '1' }).result, 0);
    assert.equal(results.length, 99);
    assert.deepEqual(results.filter((r) => r !== 0), [28]);
    stillDraws();
});

test('huge codes give a result or an error in every method, never a broken instance', () => {
    const huge = '7'.repeat(1 << 20);
    for (const [type, name] of METHOD_NAMES.entries()) {
        const r = new RecordingTarget();
        let outcome;
        try {
            outcome = bc.draw(type, r, { code: huge, width: 1 }).result;
        } catch (e) {
            assert.ok(e instanceof TalluxError, `${name}: ${e}`);
            outcome = `raised ${e.number}`;
        }
        // Code 128 wants its set letter first (5); the others draw until x overflows.
        assert.ok([0, 5, 6, 'raised 6'].includes(outcome), `${name}: ${outcome}`);
    }
    // A huge text reaches the target whole: elements of no width never move x.
    let printed = '';
    const target = plainTarget([], { Line() {}, Print(s) { printed = s; }, TextWidth: () => 1 });
    const text = 'A'.repeat(1 << 18);
    assert.equal(bc.BarCODE39(target, { code: text, width: 0, ratio: ':', text: 1 }).result, 0);
    assert.equal(printed, text);
    stillDraws();
});
