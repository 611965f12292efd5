// SVG strings for 10,000 EAN-13 and 10,000 Code 128 symbols, with their
// text, in one Node process: the tallux package against bwip-js and
// JsBarcode (through xmldom, as its documentation shows for Node).
//   cd bench/js && npm ci && node bench.mjs [PACKAGE_DIR]
// PACKAGE_DIR defaults to build/wasm/package (scripts/wasm makes it).
import { execFileSync } from 'node:child_process';
import { existsSync, readFileSync, readdirSync } from 'node:fs';
import { createRequire } from 'node:module';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const packageDir = resolve(process.argv[2] ?? join(here, '../../build/wasm/package'));
if (!existsSync(join(packageDir, 'tallux.mjs'))) {
    console.error(`bench: no package at ${packageDir} (run scripts/wasm)`);
    process.exit(66);
}

// Time to first symbol: a fresh process that loads the package and draws one.
const firstSymbol = () => {
    const script = `const t0 = performance.now();
const { Tallux, SvgTarget } = await import(${JSON.stringify(pathToFileURL(join(packageDir, 'tallux.mjs')).href)});
const svg = new SvgTarget();
new Tallux().BarEAN13(svg, { code: '400638133393', x: 150, y: 150, width: 15, height: 900 });
String(svg);
process.stdout.write(String(performance.now() - t0));`;
    const runs = Array.from({ length: 7 }, () => Number(execFileSync(process.execPath, ['--input-type=module', '-e', script], { encoding: 'utf8' })));
    return runs.sort((a, b) => a - b)[3];
};

const require = createRequire(import.meta.url);
const { Tallux, SvgTarget } = await import(pathToFileURL(join(packageDir, 'tallux.mjs')).href);
const bwipjs = require('bwip-js');
const JsBarcode = require('jsbarcode');
const { DOMImplementation, XMLSerializer } = require('@xmldom/xmldom');

// The same data for every library: twelve digits (the check digit is
// added), and ten letters and digits for Code 128 set B.
const N = 10000;
let seed = 26;
const next = () => ((seed = (seed * 1103515245 + 12345) >>> 0) >>> 8) / (1 << 24);
const digits = (n) => Array.from({ length: n }, () => Math.floor(next() * 10)).join('');
const alnum = 'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789';
const ean = Array.from({ length: N }, () => digits(12));
const c128 = Array.from({ length: N }, () => Array.from({ length: 10 }, () => alnum[Math.floor(next() * alnum.length)]).join(''));

const bc = new Tallux();
const tallux = {
    ean13: (code) => {
        const svg = new SvgTarget();
        bc.BarEAN13(svg, { code, x: 150, y: 150, width: 15, height: 900 });
        return String(svg);
    },
    code128: (code) => {
        const svg = new SvgTarget();
        bc.BarCODE128(svg, { code: `B${code}`, x: 150, y: 150, width: 15, height: 900, chk: true });
        return String(svg);
    },
};
const bwip = {
    ean13: (code) => bwipjs.toSVG({ bcid: 'ean13', text: code, includetext: true }),
    code128: (code) => bwipjs.toSVG({ bcid: 'code128', text: code, includetext: true }),
};
const xmlDocument = new DOMImplementation().createDocument('http://www.w3.org/1999/xhtml', 'html', null);
const serializer = new XMLSerializer();
const jsbarcode = (format) => (code) => {
    const node = xmlDocument.createElementNS('http://www.w3.org/2000/svg', 'svg');
    JsBarcode(node, code, { xmlDocument, format });
    return serializer.serializeToString(node);
};
const jsb = { ean13: jsbarcode('EAN13'), code128: jsbarcode('CODE128') };

// Symbols a second, best of `rounds` runs over all the data after a warm-up,
// the libraries taking turns round by round, so that a busy moment of a
// shared machine does not fall on one of them alone.
function compare(draws, data, rounds = 3) {
    const best = draws.map(() => Infinity);
    let bytes = 0;
    for (const draw of draws) for (let i = 0; i < 500; ++i) bytes += draw(data[i]).length;
    for (let r = 0; r < rounds; ++r) {
        draws.forEach((draw, k) => {
            const t0 = performance.now();
            for (const code of data) bytes += draw(code).length;
            best[k] = Math.min(best[k], performance.now() - t0);
        });
    }
    return best.map((ms) => ({ perSecond: (data.length / ms) * 1000, ms, bytes }));
}

const rows = [];
for (const [name, data] of [['ean13', ean], ['code128', c128]]) {
    const [ours, bwipBest, jsbBest] = compare([tallux[name], bwip[name], jsb[name]], data);
    rows.push([name, 'bwip-js', ours, bwipBest], [name, 'JsBarcode', ours, jsbBest]);
}

const version = (name) => JSON.parse(readFileSync(join(here, 'node_modules', name, 'package.json'), 'utf8')).version;
const tgz = readdirSync(dirname(packageDir)).find((f) => /^tallux-.*\.tgz$/.test(f));
const gz = (file) => execFileSync('sh', ['-c', `gzip -9c '${file}' | wc -c`], { encoding: 'utf8' }).trim();

console.log(`node ${process.version}, bwip-js ${version('bwip-js')}, jsbarcode ${version('jsbarcode')}, @xmldom/xmldom ${version('@xmldom/xmldom')}`);
console.log(`${N} SVG strings each, best of 3 runs taken in turns\n`);
console.log('| symbols | peer | tallux | peer | tallux / peer |');
console.log('|---|---|---|---|---|');
for (const [name, peer, ours, t] of rows) {
    const f = (x) => `${Math.round(x.perSecond).toLocaleString('en')}/s (${x.ms.toFixed(0)} ms)`;
    console.log(`| ${name === 'ean13' ? 'EAN-13' : 'Code 128'} | ${peer} | ${f(ours)} | ${f(t)} | ${(ours.perSecond / t.perSecond).toFixed(1)}x |`);
}
console.log(`\npackage: ${tgz} ${readFileSync(join(dirname(packageDir), tgz)).length} bytes; `
    + `tallux.wasm ${gz(join(packageDir, 'tallux.wasm'))} bytes and tallux.mjs ${gz(join(packageDir, 'tallux.mjs'))} bytes gzipped`);
console.log(`time to first symbol (new process, import, one EAN-13 SVG; median of 7): ${firstSymbol().toFixed(1)} ms`);
