// What SvgTarget writes is a well-formed SVG document that librsvg renders
// and both readers decode, for every symbology they read.
import assert from 'node:assert/strict';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, test } from 'node:test';

import { READABLE, SIZES, readers, run, tallux, tool } from './support.mjs';

const rsvg = tool('rsvg-convert');
const dir = mkdtempSync(join(tmpdir(), 'tallux-js-svg-'));
after(() => rmSync(dir, { recursive: true, force: true }));

test('SVG documents of every readable symbology decode with ZXingReader and zbarimg', () => {
    assert.ok(rsvg && tool('ZXingReader') && tool('zbarimg'), 'rsvg-convert, ZXingReader and zbarimg are needed (scripts/setup)');
    const bc = new tallux.Tallux();
    const failures = [];
    for (const [i, [method, code, extra, format, expected]] of READABLE.entries()) {
        const svg = new tallux.SvgTarget();
        const { result } = bc[method](svg, { ...SIZES, code, ...extra });
        assert.equal(result, 0, method);
        const file = join(dir, `${i}.svg`);
        const png = join(dir, `${i}.png`);
        writeFileSync(file, String(svg));
        run(rsvg, ['--dpi-x', '288', '--dpi-y', '288', '-o', png, file]);
        const read = readers(png);
        for (const [reader, text] of [['zxing', read.zxing(format)], ['zbar', read.zbar()]])
            if (!expected.split('|').includes(text)) failures.push(`${method}(${code}): ${reader} read '${text}'`);
    }
    assert.deepEqual(failures, []);
});

test('an SVG document has the writer\'s elements and escapes what XML cannot hold', () => {
    const bc = new tallux.Tallux();
    const svg = new tallux.SvgTarget();
    bc.BarCODE39(svg, { ...SIZES, code: 'AB', text: 0 });
    svg.FontName = 'It\'s, Arial';
    svg.CurrentX = 150;
    svg.CurrentY = 1100;
    svg.Print('<&>"\u0001 x  y \uD800');
    const doc = String(svg);
    assert.match(doc, /^<\?xml version="1.0" encoding="UTF-8"\?>\n<svg xmlns="http:\/\/www.w3.org\/2000\/svg" version="1.1" width="[\d.]+pt" height="[\d.]+pt" viewBox="0 0 [\d.]+ [\d.]+">\n<rect width="100%" height="100%" fill="#ffffff"\/>\n<g transform="matrix\(0.05 0 0 0.05 0 0\)">\n<path fill="#000000" d="M150 150H/);
    assert.ok(doc.endsWith('</g>\n</svg>\n'));
    // The text: escaped, what XML cannot hold replaced, its spaces kept.
    assert.ok(doc.includes(`font-family="'It\\'s', 'Arial', sans-serif"`), doc);
    assert.ok(doc.includes('xml:space="preserve">&lt;&amp;&gt;&quot;\uFFFD x  y \uFFFD</text>'), doc);
    // One path per run of bar colour; no white box on the untouched page.
    assert.doesNotMatch(doc, /fill="#ffffff" d=/);
    assert.ok(run(rsvg, ['-f', 'png'], { input: Buffer.from(doc), encoding: 'latin1' }).startsWith('\x89PNG'));
});

test('the ready-made targets take the host\'s colours and refuse what is none', () => {
    const bc = new tallux.Tallux();
    const svg = new tallux.SvgTarget();
    // 0x00BBGGRR: 255 is red; 0x8000000D is the system colour 13, highlight.
    assert.equal(bc.BarCODE39(svg, { ...SIZES, code: 'A', lineColor: 255, foreColor: 0x8000000D, text: 1 }).result, 0);
    const doc = String(svg);
    assert.match(doc, /<path fill="#ff0000" d="M150 150H/);
    assert.match(doc, /<text [^>]*fill="#0a246a"[^>]*>A<\/text>/);
    for (const [p, result] of [[{ foreColor: 0x01000000 }, 380], [{ lineColor: 0x80000019 }, 5]])
        assert.equal(bc.BarCODE39(new tallux.SvgTarget(), { ...SIZES, code: 'A', ...p }).result, result);
    // The canvas target makes the same choices on any 2D context.
    const drawn = [];
    const ctx = {
        font: '', fillStyle: '', textBaseline: '',
        fillRect(x, y, w, h) { drawn.push(['box', this.fillStyle, x, y, w, h]); },
        fillText(t, x, y) { drawn.push(['text', this.fillStyle, this.font, t, x, y]); },
        measureText: (t) => ({ width: 10 * t.length }),
    };
    const params = { code: 'A', x: 10, y: 5, width: 2, height: 20, lineColor: 255, bold: true };
    assert.equal(bc.BarCODE39(new tallux.CanvasTarget(ctx), params).result, 0);
    const recording = new tallux.RecordingTarget({ charWidth: 10 });
    bc.BarCODE39(recording, params);
    const at = (member) => recording.calls.find((c) => c.call === member).value;
    assert.deepEqual(drawn[0], ['box', '#ff0000', 10, 5, 3, 21]); // both corners inclusive
    assert.deepEqual(drawn.at(-1), ['text', '#000000', 'bold 1.3333333333333333px "Arial", sans-serif', 'A',
        at('CurrentX'), at('CurrentY')]);
});

test('SvgTarget lays the page around the drawing, in the units asked for', () => {
    const bc = new tallux.Tallux();
    const twips = new tallux.SvgTarget();
    bc.BarEAN13(twips, { ...SIZES, code: '400638133393', text: 0 });
    // 95 modules of 15 twips from x 150, and a quiet zone of ten modules.
    assert.match(String(twips), /width="86.25pt"/);
    const px = new tallux.SvgTarget({ units: 'px', margin: 0 });
    bc.BarEAN13(px, { x: 0, y: 0, code: '400638133393', width: 2, height: 50, text: 0 });
    assert.match(String(px), /width="142.5pt" height="44.25pt"/);
    assert.throws(() => new tallux.SvgTarget({ units: 'cubits' }), RangeError);
    px.clear();
    assert.match(String(px), /<g transform="matrix\(0.75 0 0 0.75 0 0\)">\n<\/g>/);
});
