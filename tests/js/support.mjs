// What the JavaScript tests share: where the package, the command and the
// readers are, and the drawing cases that both the package and the command draw.
import { execFileSync, spawnSync } from 'node:child_process';
import { existsSync } from 'node:fs';
import { createRequire } from 'node:module';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

export const root = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
export const packageDir = process.env.TALLUX_WASM_PACKAGE || join(root, 'build/wasm/package');
export const cli = process.env.TALLUX_CLI || join(root, 'build/h-wasm/cli/tallux');

if (!existsSync(join(packageDir, 'tallux.mjs')))
    throw new Error(`the npm package is missing at ${packageDir}: run scripts/wasm first`);

export const tallux = await import(pathToFileURL(join(packageDir, 'tallux.mjs')).href);
export const talluxCjs = createRequire(import.meta.url)(join(packageDir, 'tallux.cjs'));

export function tool(name) {
    const found = spawnSync('sh', ['-c', `command -v ${name}`], { encoding: 'utf8' });
    return found.status === 0 ? found.stdout.trim() : null;
}

// The methods in the order of tBarcodeType.
export const METHOD_NAMES = ['BarCODABAR', 'BarCODE11', 'BarCODE128', 'BarCODE25', 'BarCODE39',
    'BarCODE39F', 'BarCODE93', 'BarEAN13', 'BarEAN8', 'BarISBN', 'BarMSI', 'BarPOSTNET', 'BarUPCA',
    'BarUPCAPlus', 'BarUPCE'];

// A small generator of numbers, so that every run draws the same cases.
function random(seed) {
    let a = seed >>> 0;
    return () => {
        a = (a + 0x6D2B79F5) >>> 0;
        let t = a;
        t = Math.imul(t ^ (t >>> 15), t | 1);
        t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
        return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
    };
}

// Codes worth drawing for each method: valid data, the characters each
// treats otherwise, empty, long.
const CODES = {
    BarCODABAR: ['40156', 'A40156B', 'C123-$:/.+D', '12x34', '', ' 987 '],
    BarCODE11: ['123-45', '0123456789', '1-2-3', 'A12', '', '99999999999'],
    BarCODE128: ['BCode128', 'ACODE128', 'C123456', 'C12345', 'Bhello world!', 'A\u0001\u0002', 'X12', '', 'B\u00e9t\u00e9'],
    BarCODE25: ['1234567890', '12345', ' 42 ', '12a4', '', '0'],
    BarCODE39: ['CODE39', 'TALLUX-1.0 $/+%', 'abc', 'A*B', '', 'HELLO WORLD'],
    BarCODE39F: ['Code 39f', 'hello', 'A\u0001B\u007f', '\u00e9', '', 'MIXED case 123'],
    BarCODE93: ['TEST93', 'CODE 93', 'abc', '\u00e9', '', 'A-B.C $/+%'],
    BarEAN13: ['400638133393', '4006381333931', ' 40063813339', '12345', '', 'abcdefghijkl', '40063813339312345'],
    BarEAN8: ['9638507', '96385074', '123', '', 'x1234567'],
    BarISBN: ['030640615', '978-0-306-40615-7', '0306406152', '', '12345'],
    BarMSI: ['1234567', '80523', '12a', '', '0'],
    BarPOSTNET: ['12345', '123456789', '12345678901', '1234', '', 'ab'],
    BarUPCA: ['03600029145', '036000291452', '12345', '', 'x'],
    BarUPCAPlus: ['03600029145', '036000291452', '1', ''],
    BarUPCE: ['123456', '01234565', '1234567', '12a456', '', '000000'],
};
const RATIOS = ['3:1', '2:0', '1.5:0', ':', '3:0', '5:2', ' 2 : 1 ', '&H2:0'];
const FONTS = ['Arial', 'Courier New', 'DejaVu Sans, Serif', ''];

// The cases: every method with every code of its row, each with parameters
// drawn from the generator; then the rules at the edges (text switches,
// wide symbols that overflow, fractional positions).
export function drawingCases() {
    const next = random(26);
    const pick = (list) => list[Math.floor(next() * list.length)];
    const cases = [];
    for (const [method, codes] of Object.entries(CODES)) {
        for (const code of codes) {
            cases.push({
                method,
                code,
                x: pick([0, 10, 150, 150.5, 150.25, 33.3, -2.5, 2.5]),
                y: pick([0, 10, 150, 0.1, 7.75]),
                width: pick([1, 2, 3, 7, 15]),
                height: pick([0, 1, 60, 900, 17]),
                text: pick([0, 1, 1, 2, -1]),
                bold: pick([0, -1]),
                font: pick(FONTS),
                foreColor: pick([0, 255, 16711680, 12345678]),
                lineColor: pick([0, 255, 65280]),
                ratio: pick(RATIOS),
                chk: pick([0, -1]),
            });
        }
    }
    const base = { x: 150, y: 150, width: 15, height: 900, text: 1, bold: 0, font: 'Arial', foreColor: 0, lineColor: 0, ratio: '3:1', chk: 0 };
    for (const method of Object.keys(CODES)) {
        cases.push({ ...base, method, code: CODES[method][0], x: 32000 }); // runs past 32767
        cases.push({ ...base, method, code: CODES[method][0], x: 40000 }); // pX beyond 16 bits
        cases.push({ ...base, method, code: CODES[method][0], width: 3000, ratio: '5000:1' });
        cases.push({ ...base, method, code: CODES[method][0], text: 2, chk: -1, x: 150.5 });
        cases.push({ ...base, method, code: CODES[method][0], ratio: 'no colon' });
    }
    return cases;
}

const OPTIONS = ['code', 'x', 'y', 'width', 'height', 'text', 'bold', 'font', 'foreColor', 'lineColor', 'ratio', 'chk'];
const OPTION_NAMES = { foreColor: 'fore-color', lineColor: 'line-color' };

// The command's trace of a case: the calls as JSON objects, then the summary.
export function commandTrace(c) {
    const args = ['draw', c.method, '--target', 'trace'];
    for (const name of OPTIONS) args.push(`--${OPTION_NAMES[name] ?? name}=${c[name]}`);
    const run = spawnSync(cli, args, { encoding: 'utf8' });
    if (run.error) throw run.error;
    const lines = run.stdout.split('\n').filter((l) => l !== '').map((l) => JSON.parse(l));
    if (lines.length === 0) throw new Error(`${cli} ${args.join(' ')}: no trace (${run.stderr})`);
    return { calls: lines.slice(0, -1), summary: lines[lines.length - 1] };
}

export function params(c) {
    const p = {};
    for (const name of OPTIONS) p[name] = c[name];
    return p;
}

export function run(command, args, options = {}) {
    return execFileSync(command, args, { encoding: 'utf8', stdio: [options.input === undefined ? 'ignore' : 'pipe', 'pipe', 'pipe'], ...options });
}

// Readable symbologies: the method, its code, further parameters, ZXing's
// name of the format and the decoded text (alternatives separated by "|").
export const READABLE = [
    ['BarCODE39', 'CODE39', { chk: -1 }, 'Code39', 'CODE39W'],
    ['BarCODE39F', 'Code 39f', {}, 'Code39', 'C+O+D+E 39+F'],
    ['BarCODE93', 'TEST93', { chk: -1 }, 'Code93', 'TEST93'],
    ['BarCODE128', 'BCode128', { chk: -1 }, 'Code128', 'Code128'],
    ['BarCODE128', 'C123456', { chk: -1 }, 'Code128', '123456'],
    ['BarCODE25', '123456', {}, 'ITF', '123456'],
    ['BarCODABAR', '40156', {}, 'Codabar', 'A40156A|40156'],
    ['BarEAN13', '400638133393', {}, 'EAN-13', '4006381333931'],
    ['BarEAN8', '9638507', {}, 'EAN-8', '96385074'],
    ['BarUPCA', '03600029145', {}, 'UPC-A', '036000291452|0036000291452'],
    ['BarUPCAPlus', '03600029145', {}, 'UPC-A', '036000291452|0036000291452'],
    ['BarUPCE', '123456', {}, 'UPC-E', '01234565|1234565|001234500005|0012345000065'],
    ['BarISBN', '030640615', {}, 'EAN-13', '9780306406157'],
];

// The command's everyday sizes in twips: 1/96-inch modules, 5/8-inch bars.
export const SIZES = { x: 150, y: 150, width: 15, height: 900, ratio: '3:0' };

const zxing = tool('ZXingReader');
const zbar = tool('zbarimg');

export function readers(png) {
    const read = {};
    // -noscale: ZXingReader 1.4 aborts on an assertion while merging the
    // results of its downscaled passes over a tall linear symbol.
    if (zxing) read.zxing = (format) => run(zxing, ['-noscale', '-format', format, '-bytes', png]).trim();
    // zbar reads Interleaved 2 of 5 from six digits unless told otherwise.
    if (zbar) read.zbar = () => run(zbar, ['--nodbus', '-q', '--raw', '-Si25.min-length=2', png]).trim();
    return read;
}
