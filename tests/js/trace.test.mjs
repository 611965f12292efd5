// Any JavaScript object is a target: it receives the very calls, in the very
// order and with the very values, that the command's trace shows for the
// same call, and the method returns or raises the same, with the same code.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { METHOD_NAMES, commandTrace, drawingCases, params, tallux, talluxCjs } from './support.mjs';

// A trace value against what the target received: Singles compare as Singles.
function sameNumber(traced, received, type) {
    if (type === 'Single') return Math.fround(traced) === received;
    return traced === received;
}

function compareCall(expected, got, where) {
    assert.equal(got.call, expected.call, `${where}: member`);
    switch (expected.call) {
    case 'FontName':
        assert.equal(got.value, expected.value, `${where}: FontName`);
        break;
    case 'FontBold':
        // The target receives a Boolean, as a script's object does.
        assert.equal(got.value, expected.value !== 0, `${where}: FontBold`);
        break;
    case 'ForeColor':
    case 'FontSize':
        assert.equal(got.value, expected.value, `${where}: ${expected.call}`);
        break;
    case 'CurrentX':
    case 'CurrentY':
        assert.ok(sameNumber(expected.value, got.value, expected.type ?? 'Single'),
            `${where}: ${expected.call} ${got.value}, traced ${expected.value} (${expected.type})`);
        break;
    case 'Line':
        for (const k of ['flags', 'x1', 'x2', 'color']) assert.equal(got[k], expected[k], `${where}: Line ${k}`);
        for (const k of ['y1', 'y2']) assert.ok(sameNumber(expected[k], got[k], 'Single'), `${where}: Line ${k}`);
        break;
    case 'Print':
        assert.equal(got.text, expected.text, `${where}: Print`);
        break;
    default: // TextWidth, TextHeight
        assert.equal(got.text, expected.text, `${where}: ${expected.call} text`);
        assert.ok(sameNumber(expected.value, got.value, 'Single'), `${where}: ${expected.call} value`);
    }
}

// The same case through the package: the calls received, and the summary in
// the trace's words.
function drawnByPackage(module, c) {
    const target = new module.RecordingTarget();
    const bc = new module.Tallux();
    try {
        const { result, code } = bc[c.method](target, params(c));
        return { calls: target.calls, summary: { result, code } };
    } catch (e) {
        if (!(e instanceof module.TalluxError)) throw e;
        return { calls: target.calls, summary: { raised: e.number, code: e.pCode ?? c.code } };
    }
}

test('every method draws the calls of the command\'s trace, case for case', () => {
    const cases = drawingCases();
    assert.ok(cases.length >= 150, `${cases.length} cases`);
    const outcomes = new Set();
    for (const [i, c] of cases.entries()) {
        const where = `case ${i} ${c.method}(${JSON.stringify(c.code)})`;
        const expected = commandTrace(c);
        const got = drawnByPackage(tallux, c);
        assert.equal(got.calls.length, expected.calls.length,
            `${where}: ${got.calls.length} calls, the trace has ${expected.calls.length}`);
        expected.calls.forEach((call, k) => compareCall(call, got.calls[k], `${where} call ${k}`));
        assert.deepEqual(got.summary, expected.summary, where);
        outcomes.add(JSON.stringify(Object.keys(expected.summary)) + (expected.summary.result ?? expected.summary.raised));
    }
    // The cases reach drawn symbols, returned errors and raised ones.
    for (const seen of ['["result","code"]0', '["result","code"]6', '["raised","code"]5', '["raised","code"]6'])
        assert.ok(outcomes.has(seen), `no case gave ${seen}`);
});

test('the component\'s own recording target inside WebAssembly logs what the object received', () => {
    // The bridge against the core alone, for every case that draws: the
    // late-bound object and the C++ recording target see the same calls.
    const text = (call) => {
        switch (call.call) {
        case 'FontName': case 'Print': return `${call.call}(${call.value ?? call.text})`;
        case 'FontBold': return `FontBold(${call.value ? -1 : 0})`;
        case 'Line': return `Line(${[call.flags, call.x1, call.y1, call.x2, call.y2, call.color].join(',')})`;
        case 'TextWidth': case 'TextHeight': return `${call.call}(${call.text})=${call.value}`;
        default: return `${call.call}(${call.value})`;
        }
    };
    // Numbers as Singles on both sides; the command's trace checks their types.
    const canonical = (line) => line.replace(/^CurrentX\((Integer|Long|Single|Double) /, 'CurrentX(')
        .replace(/-?\d+(\.\d+)?(e[+-]?\d+)?/g, (t) => String(Math.fround(Number(t))));
    let compared = 0;
    for (const c of drawingCases()) {
        if (c.bold !== 0 && c.bold !== -1) continue;
        let inside;
        try {
            inside = tallux._traceInside(METHOD_NAMES.indexOf(c.method), params(c)).log;
        } catch {
            continue; // raised in the preparation
        }
        const got = drawnByPackage(tallux, c).calls.map((call) => canonical(text(call)));
        assert.deepEqual(got, inside.split('\n').filter((l) => l !== '').map(canonical),
            `${c.method}(${JSON.stringify(c.code)})`);
        ++compared;
    }
    assert.ok(compared > 100, `${compared} cases compared`);
});

test('require() and import give the same working classes', () => {
    for (const module of [tallux, talluxCjs]) {
        for (const name of ['Tallux', 'TalluxError', 'SvgTarget', 'CanvasTarget', 'RecordingTarget', 'tBarcodeType'])
            assert.ok(module[name], name);
        const r = new module.RecordingTarget();
        assert.deepEqual(new module.Tallux().BarEAN13(r, { code: '400638133393' }), { result: 0, code: '400638133393' });
        assert.equal(r.calls.filter((c) => c.call === 'Line').length, 95);
    }
    assert.equal(tallux.tBarcodeType.EAN_13, 7);
    assert.equal(tallux.tBarcodeType.UPC_E, 14);
    assert.equal(Object.keys(tallux.tBarcodeType).length, 15);
});
