// The packed package installs into an empty folder and draws there, through
// require() and import alike.
import assert from 'node:assert/strict';
import { mkdtempSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { after, test } from 'node:test';

import { packageDir, run } from './support.mjs';

const dir = mkdtempSync(join(tmpdir(), 'tallux-js-install-'));
after(() => rmSync(dir, { recursive: true, force: true }));

test('npm installs the packed package into an empty folder, where it draws', () => {
    const built = dirname(packageDir);
    const tarball = readdirSync(built).find((f) => /^tallux-.*\.tgz$/.test(f));
    assert.ok(tarball, `no tallux-*.tgz in ${built}: run scripts/wasm`);
    writeFileSync(join(dir, 'package.json'), '{"name": "consumer", "private": true}\n');
    run('npm', ['install', '--offline', '--no-audit', '--no-fund', '--silent', join(built, tarball)], { cwd: dir });

    writeFileSync(join(dir, 'draw.cjs'), `
const { Tallux, SvgTarget } = require('tallux');
const svg = new SvgTarget();
const out = new Tallux().BarEAN13(svg, { code: '400638133393', x: 150, y: 150, width: 15, height: 900 });
process.stdout.write(JSON.stringify(out) + ' ' + String(svg).length);
`);
    writeFileSync(join(dir, 'draw.mjs'), `
import { Tallux, RecordingTarget, tBarcodeType } from 'tallux';
const target = new RecordingTarget();
const out = new Tallux().draw(tBarcodeType.Code_39, target, { code: 'CODE39', chk: true });
process.stdout.write(JSON.stringify(out) + ' ' + target.calls.length);
`);
    const [cjs, size] = run('node', ['draw.cjs'], { cwd: dir }).split(' ');
    assert.deepEqual(JSON.parse(cjs), { result: 0, code: '400638133393' });
    assert.ok(Number(size) > 2000, size);
    assert.equal(run('node', ['draw.mjs'], { cwd: dir }), '{"result":0,"code":"CODE39W"} 97');
    // Only what the package needs is in it.
    const files = readdirSync(join(dir, 'node_modules/tallux')).sort();
    assert.deepEqual(files, ['LICENSE', 'README.md', 'package.json', 'tallux.cjs', 'tallux.d.ts', 'tallux.mjs', 'tallux.wasm']);
});
