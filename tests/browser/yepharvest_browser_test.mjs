// yepharvest from a browser, as a person uses it: the server is started on a
// free port, the form is filled in headless Chromium, the run's progress and
// links are read from the page, one peak list is opened, and requests for
// paths outside the roots are refused.
// Usage: node yepharvest_browser_test.mjs <checkout> <build dir> [screenshot dir]
import assert from 'node:assert/strict';
import { spawn, execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync, mkdirSync } from 'node:fs';
import { createServer } from 'node:net';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { chromium } from 'playwright-core';

const [checkout, buildDir, screenshotDir] = process.argv.slice(2);
assert.ok(checkout && buildDir, 'usage: node yepharvest_browser_test.mjs <checkout> <build dir> [screenshot dir]');

const work = mkdtempSync(join(tmpdir(), 'quarrow-browser-'));
const dataRoot = join(work, 'data');
const resultsRoot = join(work, 'results');
mkdirSync(dataRoot);
execFileSync(join(buildDir, 'tools/quarrow-rungen'),
    ['--folder', '--output', join(dataRoot, 'sample7.d'), '--spectra', '300', '--seed', '7',
     '--truth', join(work, 'truth.tsv')], { stdio: 'ignore' });

function freePort() {
    return new Promise((resolve, reject) => {
        const probe = createServer();
        probe.on('error', reject);
        probe.listen(0, '127.0.0.1', () => {
            const { port } = probe.address();
            probe.close(() => resolve(port));
        });
    });
}

async function waitForServer(base, server) {
    for (let attempt = 0; attempt < 100; ++attempt) {
        if (server.exitCode !== null) throw new Error(`the server ended with status ${server.exitCode}`);
        try {
            if ((await fetch(base)).ok) return;
        } catch { /* not listening yet */ }
        await new Promise((resolve) => setTimeout(resolve, 100));
    }
    throw new Error('the server did not answer within 10 s');
}

const port = await freePort();
const base = `http://127.0.0.1:${port}`;
const server = spawn(join(checkout, 'web/serve.sh'), [String(port)], {
    env: { ...process.env, QUARROW_DATA_ROOT: dataRoot, QUARROW_RESULTS_ROOT: resultsRoot,
           QUARROW_BUILD_DIR: buildDir, QUARROW_SERVER_DIR: join(work, 'server') },
    stdio: ['ignore', 'inherit', 'inherit'],
});

let context;
try {
    await waitForServer(base, server);
    context = await chromium.launchPersistentContext(join(work, 'profile'), {
        executablePath: '/usr/bin/chromium',
        headless: true,
        args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
               '--disable-background-networking', '--disable-component-update', '--disable-sync'],
        viewport: { width: 1100, height: 900 },
    });
    const page = context.pages()[0] ?? await context.newPage();

    await page.goto(`${base}/`);
    await page.click('#yepharvest');
    await page.waitForURL(`${base}/yepharvest.html`);
    assert.equal(await page.inputValue('#lastScan'), '999999999');
    assert.equal(await page.inputValue('#cys'), 'pyridylethylation');
    await page.selectOption('#runPicker', 'sample7.d/Analysis.yep');
    assert.equal(await page.inputValue('#xtractorDataFilename'), 'sample7.d/Analysis.yep');
    await page.selectOption('#autoCharge', 'Find');
    if (screenshotDir) await page.screenshot({ path: join(screenshotDir, 'form.png'), fullPage: true });

    // A number field that holds no number stops the form in the browser.
    await page.fill('#groupScans', '');
    assert.equal(await page.$eval('#extraction', (form) => form.checkValidity()), false);
    await page.fill('#groupScans', '15');
    assert.equal(await page.$eval('#extraction', (form) => form.checkValidity()), true);

    await Promise.all([page.waitForURL(`${base}/cgi-bin/yepharvest`), page.click('#submit')]);
    const progress = page.locator('.progress');
    await progress.getByText('Run statistics calculated and output.').waitFor({ timeout: 120000 });
    const lines = (await progress.innerText()).split('\n').map((line) => line.trim());
    const steps = ['Initialize extractor complete!', 'Data read into memory.', 'MS scans pre-processed.',
        'Nearby MS/MS spectra with same precursor merged.', 'Precursor charges determined.', 'Spectra filtered.',
        'Calculated precursor TICs in intervening MS scans.', 'Created spectral files.',
        'Run statistics calculated and output.'];
    const positions = steps.map((step) => lines.indexOf(step));
    assert.ok(positions.every((position, i) => position >= 0 && (i === 0 || position > positions[i - 1])),
        `progress lines out of order: ${JSON.stringify(lines)}`);
    assert.match(await page.locator('.finished').innerText(), /yepharvest finished \(exit status 0\)/);
    assert.match(await page.locator('pre.runstats').innerText(), /numOutputFiles\t[1-9]\d*/);
    const runLinks = await page.locator('ul.peaklists a').count();
    assert.ok(runLinks > 0, 'no peak-list links after the run');
    if (screenshotDir) await page.screenshot({ path: join(screenshotDir, 'run.png'), fullPage: false });

    await page.click('text=Results page of this request');
    const pkl = page.locator('ul.peaklists a').first();
    assert.equal(await page.locator('ul.peaklists a').count(), runLinks);
    const [response] = await Promise.all([page.waitForResponse((r) => r.url().endsWith('.pkl')), pkl.click()]);
    assert.match(response.headers()['content-type'], /^text\/plain/);
    const firstLine = (await response.text()).split('\n')[0];
    assert.match(firstLine, /^\d+\.\d{2}\t\d+\t\d$/, `first line of a .pkl: ${firstLine}`);

    // Which paths are refused is the launcher's own tests' concern; here the
    // server must pass its status on.
    const refused = await page.goto(
        `${base}/cgi-bin/yepharvest?xtractorDataFilename=${encodeURIComponent('sample7.d/../../../etc/passwd')}`);
    assert.equal(refused.status(), 403);
    assert.match(await page.locator('.refusal').innerText(), /outside the data root/);
    console.log('browser test passed: form, run, results page, .pkl, 403');
} finally {
    if (context) await context.close();
    server.kill('SIGTERM');
    await new Promise((resolve) => (server.exitCode !== null ? resolve() : server.on('exit', resolve)));
    rmSync(work, { recursive: true, force: true });
}
