// Headless Chromium loads the package as an ES module, draws every readable
// symbology on a canvas through CanvasTarget, and sends each canvas back as a
// PNG, which both readers decode; the calls a RecordingTarget receives in the
// browser are the calls it receives in Node.
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { extname, join, normalize } from 'node:path';
import { after, test } from 'node:test';

import { READABLE, SIZES, packageDir, readers, tallux, tool } from './support.mjs';

const chromium = process.env.TALLUX_CHROMIUM || tool('chromium') || tool('chromium-browser');
const dir = mkdtempSync(join(tmpdir(), 'tallux-js-chromium-'));
after(() => rmSync(dir, { recursive: true, force: true }));

const page = `<!doctype html>
<meta charset="utf-8">
<title>tallux</title>
<script type="module">
import { Tallux, CanvasTarget, RecordingTarget } from '/package/tallux.mjs';
const cases = ${JSON.stringify(READABLE.map(([method, code, extra]) => ({ method, code, ...SIZES, ...extra })))};
const send = (path, body) => fetch(path, { method: 'POST', body: JSON.stringify(body) });
try {
    const bc = new Tallux();
    for (const [i, c] of cases.entries()) {
        const { method, ...params } = c;
        const canvas = document.createElement('canvas');
        canvas.width = 1200;
        canvas.height = 300;
        const ctx = canvas.getContext('2d');
        ctx.fillStyle = '#ffffff';
        ctx.fillRect(0, 0, canvas.width, canvas.height);
        // Twips drawn at 288 dpi: a module of 15 twips is 3 pixels.
        ctx.scale(0.2, 0.2);
        const drawn = bc[method](new CanvasTarget(ctx, { units: 'twips' }), params);
        const recording = new RecordingTarget();
        const recorded = bc[method](recording, params);
        await send('/result', { i, drawn, recorded, calls: recording.calls, png: canvas.toDataURL('image/png') });
    }
    await send('/done', {});
} catch (e) {
    await send('/failed', { message: String(e && e.stack || e) });
}
</script>`;

const types = { '.mjs': 'text/javascript', '.js': 'text/javascript', '.wasm': 'application/wasm' };

function serve(results) {
    let finish;
    const finished = new Promise((resolve) => { finish = resolve; });
    const server = createServer((req, res) => {
        if (req.method === 'POST') {
            const chunks = [];
            req.on('data', (c) => chunks.push(c));
            req.on('end', () => {
                const body = JSON.parse(Buffer.concat(chunks).toString('utf8'));
                res.end('ok');
                if (req.url === '/result') results.push(body);
                else finish(req.url === '/done' ? null : body.message);
            });
            return;
        }
        if (req.url === '/') {
            res.setHeader('content-type', 'text/html');
            res.end(page);
            return;
        }
        const name = normalize(req.url).replace(/^\/package\//, '');
        if (!req.url.startsWith('/package/') || name.includes('..') || name.includes('/')) {
            res.statusCode = 404;
            res.end();
            return;
        }
        try {
            const bytes = readFileSync(join(packageDir, name));
            res.setHeader('content-type', types[extname(name)] ?? 'application/octet-stream');
            res.end(bytes);
        } catch {
            res.statusCode = 404;
            res.end();
        }
    });
    return { server, finished };
}

test('Chromium draws every readable symbology on a canvas, and the readers decode it', { timeout: 120000 }, async () => {
    assert.ok(chromium, 'chromium is needed (scripts/setup installs it)');
    const results = [];
    const { server, finished } = serve(results);
    await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
    const url = `http://127.0.0.1:${server.address().port}/`;
    const browser = spawn(chromium, [
        '--headless', '--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage', '--no-first-run',
        '--no-default-browser-check', '--disable-extensions', '--disable-background-networking',
        `--user-data-dir=${join(dir, 'profile')}`, '--remote-debugging-port=0', url,
    ], { stdio: ['ignore', 'ignore', 'pipe'] });
    let stderr = '';
    browser.stderr.on('data', (d) => { stderr += d; });
    const exited = new Promise((resolve) => browser.on('exit', (code) => resolve(`chromium exited (${code}): ${stderr.slice(-2000)}`)));
    let failure;
    try {
        failure = await Promise.race([finished, exited]);
    } finally {
        browser.kill('SIGKILL');
        server.close();
    }
    assert.equal(failure, null, failure);
    assert.equal(results.length, READABLE.length);

    const bc = new tallux.Tallux();
    const failures = [];
    for (const r of results.sort((a, b) => a.i - b.i)) {
        const [method, code, extra, format, expected] = READABLE[r.i];
        assert.equal(r.drawn.result, 0, method);
        // The same calls and results in the browser as in Node.
        const recording = new tallux.RecordingTarget();
        const recorded = bc[method](recording, { ...SIZES, code, ...extra });
        assert.deepEqual(r.recorded, recorded, method);
        assert.deepEqual(r.calls, recording.calls, method);
        const png = join(dir, `${r.i}.png`);
        writeFileSync(png, Buffer.from(r.png.replace(/^data:image\/png;base64,/, ''), 'base64'));
        const read = readers(png);
        for (const [reader, text] of [['zxing', read.zxing(format)], ['zbar', read.zbar()]])
            if (!expected.split('|').includes(text)) failures.push(`${method}(${code}): ${reader} read '${text}'`);
    }
    assert.deepEqual(failures, []);
});
