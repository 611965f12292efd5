// Makes the npm package's folder from emscripten's loader and the module:
//   node wasm/assemble.mjs BUILD_DIR VERSION
// BUILD_DIR holds core.js and core.wasm; the package goes to BUILD_DIR/package.
// tallux.mjs (ES module, Node and browsers) and tallux.cjs (CommonJS, Node)
// are the same code around the loader; only the way the module's bytes are
// found and started differs.
import { copyFileSync, mkdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const [buildDir, version] = process.argv.slice(2);
if (!buildDir || !version) {
    console.error('usage: node wasm/assemble.mjs BUILD_DIR VERSION');
    process.exit(64);
}
const out = join(buildDir, 'package');
rmSync(out, { recursive: true, force: true });
mkdirSync(out, { recursive: true });

const read = (path) => readFileSync(path, 'utf8');
const loader = read(join(buildDir, 'core.js'));
const body = `${loader}\n${read(join(here, 'js/core.js'))}\n${read(join(here, 'js/targets.js'))}`;
const names = 'Tallux, TalluxError, SvgTarget, CanvasTarget, RecordingTarget, tBarcodeType';
const banner = `// tallux ${version}: linear barcodes drawn by the Tallux component in WebAssembly.\n`;

const esm = `${banner}${body}
async function wasmBytes() {
    const url = new URL('./tallux.wasm', import.meta.url);
    if (typeof process === 'object' && process.versions && process.versions.node && url.protocol === 'file:') {
        const { readFile } = await import('node:fs/promises');
        return readFile(url);
    }
    const response = await fetch(url);
    if (!response.ok) throw new Error(\`tallux: cannot load \${url}: \${response.status}\`);
    return response.arrayBuffer();
}
{
    const bytes = await wasmBytes();
    let failed;
    const failure = new Promise((resolve, reject) => { failed = reject; });
    core = bridge(createTalluxCore, (imports, done) => {
        WebAssembly.instantiate(bytes, imports).then((r) => done(r.instance), failed);
        return {};
    });
    await Promise.race([core.started, failure]);
}
export { ${names}, traceInside as _traceInside };
`;

const cjs = `${banner}'use strict';
${body}
{
    const bytes = require('node:fs').readFileSync(require('node:path').join(__dirname, 'tallux.wasm'));
    core = bridge(createTalluxCore, (imports, done) => {
        const instance = new WebAssembly.Instance(new WebAssembly.Module(bytes), imports);
        done(instance);
        return instance.exports;
    });
    if (typeof core.module.draw !== 'function') throw new Error('tallux: the WebAssembly module did not start');
}
module.exports = { ${names}, _traceInside: traceInside };
`;

writeFileSync(join(out, 'tallux.mjs'), esm);
writeFileSync(join(out, 'tallux.cjs'), cjs);
copyFileSync(join(buildDir, 'core.wasm'), join(out, 'tallux.wasm'));
copyFileSync(join(here, 'js/tallux.d.ts'), join(out, 'tallux.d.ts'));
copyFileSync(join(here, 'README.md'), join(out, 'README.md'));
copyFileSync(join(here, '../LICENSE'), join(out, 'LICENSE'));
const pkg = JSON.parse(read(join(here, 'package.json')));
pkg.version = version;
writeFileSync(join(out, 'package.json'), `${JSON.stringify(pkg, null, 2)}\n`);
