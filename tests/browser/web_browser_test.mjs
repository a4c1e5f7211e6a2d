// Both programs from a browser, as a person uses them in a 1,280 px window:
// the server is started on a free port with generated runs, each form is
// submitted with its defaults in headless Chromium, and what the pages offer
// afterwards is followed: the report, the archive, a link with only the run,
// the form without JavaScript, a refused request and its way back, a failed
// run and the results list.
// Usage: node web_browser_test.mjs <checkout> <build dir> [screenshot dir]
import assert from 'node:assert/strict';
import { spawn, execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync, mkdirSync, readdirSync, readFileSync, statSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:net';
import { tmpdir } from 'node:os';
import { join, relative } from 'node:path';
import { chromium } from 'playwright-core';

const [checkout, buildDir, screenshotDir] = process.argv.slice(2);
assert.ok(checkout && buildDir, 'usage: node web_browser_test.mjs <checkout> <build dir> [screenshot dir]');

const work = mkdtempSync(join(tmpdir(), 'quarrow-browser-'));
const dataRoot = join(work, 'data');
const resultsRoot = join(work, 'results');
mkdirSync(dataRoot);
const rungen = (...args) => execFileSync(join(buildDir, 'tools/quarrow-rungen'), args, { stdio: 'ignore' });
rungen('--folder', '--output', join(dataRoot, 'sample7.d'), '--spectra', '300', '--seed', '7');
// Past the programs' own last scan, 9999.
rungen('--folder', '--output', join(dataRoot, 'long.d'), '--spectra', '10500', '--peptides', '400', '--seed', '5');
rungen('--sciex', 'qstar', '--samples', '2', '--spectra', '200', '--seed', '7', '--output', join(dataRoot, 'lysate3.wiff'));
// Named as instruments name their runs; its export ends in the middle.
const brokenRun = 'BSA_digest_2026-12-07_column3_gradient90min_replicate03_broken.d';

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
    for (let attempt = 0; attempt < 600; ++attempt) {
        if (server.exitCode !== null) throw new Error(`the server ended with status ${server.exitCode}`);
        try {
            if ((await fetch(base)).ok) return;
        } catch { /* not listening yet */ }
        await new Promise((resolve) => setTimeout(resolve, 100));
    }
    throw new Error('the server did not answer within a minute');
}

// Every file under a folder, by its path below it.
function filesUnder(folder) {
    const files = new Map();
    const walk = (dir) => {
        for (const name of readdirSync(dir)) {
            const path = join(dir, name);
            if (statSync(path).isDirectory()) walk(path);
            else files.set(relative(folder, path), readFileSync(path));
        }
    };
    walk(folder);
    return files;
}

const requestCount = () => readdirSync(resultsRoot).length;

// What the program got, with the request's own folder left out.
const queryOf = (request) => readFileSync(join(resultsRoot, request, 'query.txt'), 'utf8')
    .replaceAll(join(resultsRoot, request), 'REQUEST');
const newestRequest = () => readdirSync(resultsRoot)
    .map((name) => [statSync(join(resultsRoot, name)).mtimeMs, name]).sort(([a], [b]) => b - a)[0][1];

// Nothing sticks out of the window sideways.
const fitsWidth = (page) => page.evaluate(() =>
    document.documentElement.scrollWidth <= document.documentElement.clientWidth);

const browserArgs = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                     '--disable-background-networking', '--disable-component-update', '--disable-sync'];

// The charge of every peak list the page links: the last number of its name.
async function linkedCharges(page) {
    const names = await page.locator('ul.peaklists a').allTextContents();
    return names.map((name) => Number(name.split('.').at(-2)));
}

async function shoot(page, name, fullPage = false) {
    if (screenshotDir) await page.screenshot({ path: join(screenshotDir, name), fullPage });
}

const port = await freePort();
const base = `http://127.0.0.1:${port}`;
const server = spawn(join(checkout, 'web/serve.sh'), [String(port)], {
    env: { ...process.env, QUARROW_DATA_ROOT: dataRoot, QUARROW_RESULTS_ROOT: resultsRoot,
           QUARROW_BUILD_DIR: buildDir, QUARROW_SERVER_DIR: join(work, 'server') },
    stdio: ['ignore', 'inherit', 'inherit'],
});

let context;
let plainContext;
try {
    await waitForServer(base, server);
    context = await chromium.launchPersistentContext(join(work, 'profile'), {
        executablePath: '/usr/bin/chromium',
        headless: true,
        acceptDownloads: true,
        args: browserArgs,
        viewport: { width: 1280, height: 900 },
    });
    const page = context.pages()[0] ?? await context.newPage();
    page.setDefaultTimeout(60000);

    // The yepharvest form: its own runs, read now; the front ends' defaults.
    await page.goto(`${base}/`);
    await page.click('#yepharvest');
    await page.waitForURL(`${base}/cgi-bin/yepharvest`);
    assert.deepEqual(await page.locator('#runPicker option').allInnerTexts(),
        ['(pick a run)', 'long.d', 'sample7.d']);
    assert.match(await page.locator('dl.about').innerText(), /What it does\s+Turns one LC\/MS\/MS run/);
    assert.ok((await page.locator('#submitTop').boundingBox()).y < 900, 'a submit button in the first screen');
    assert.equal(await page.inputValue('#autoCharge'), 'Find');
    // The fixed charge only with the fixed charge rule.
    assert.equal(await page.locator('#lowCharge').isVisible(), false, 'fixed charge with Find');
    await page.selectOption('#autoCharge', { label: 'Fixed: lowCharge = highCharge' });
    assert.equal(await page.locator('#highCharge').isVisible(), true, 'no fixed charge with Fixed');
    await page.fill('#lowCharge', '12');
    await page.selectOption('#autoCharge', 'Find');
    assert.equal(await page.locator('#lowCharge').isVisible(), false);
    assert.equal(await page.inputValue('#lowCharge'), '4', 'a hidden field keeps a value the form refuses');
    // The whole run is a choice; the scan window shows when it is not.
    assert.equal(await page.isChecked('#wholeRun'), true);
    assert.equal(await page.locator('#lastScan').isVisible(), false, 'the scan window with the whole run');
    await page.check('#scanWindowChoice');
    assert.equal(await page.inputValue('#lastScan'), '999999999');
    await page.check('#wholeRun');
    assert.equal(await page.locator('#firstScan').isVisible(), false);
    assert.equal(await page.inputValue('#cys'), 'pyridylethylation');
    assert.equal(await page.inputValue('#peakListFormat'), 'mgf');
    assert.match(await page.locator('label[for=groupScans]').innerText(), /^Merging window \(scans\) groupScans$/);
    assert.equal(await page.locator('#peakLimitCount').isVisible(), false, 'Advanced is folded');
    await page.selectOption('#runPicker', 'sample7.d');
    await page.selectOption('#peakListFormat', 'pkl');
    assert.equal(await page.inputValue('#xtractorDataFilename'), 'sample7.d');
    assert.ok(await fitsWidth(page), 'the form is wider than the window');
    await shoot(page, 'form.png', true);

    // The table's ranges are checked before anything is sent.
    const valid = () => page.$eval('#extraction', (form) => form.checkValidity());
    for (const [field, bad, good] of [['#groupScans', '10001', '15'], ['#parentTolerance', '0', '0.5'],
                                       ['#maxCharge', '1.5', '5']]) {
        await page.fill(field, bad);
        assert.equal(await valid(), false, `${field} ${bad} passes`);
        await page.fill(field, good);
    }
    assert.equal(await valid(), true);

    await Promise.all([page.waitForURL(`${base}/cgi-bin/yepharvest`), page.click('#submitTop')]);
    const outcome = page.locator('#outcome');
    await page.locator('#results').waitFor();
    assert.match(await outcome.innerText(), /^FINISHED in \d+:\d\d: [1-9]\d* spectra written\.$/);
    assert.ok((await outcome.boundingBox()).y < (await page.locator('.progress').boundingBox()).y,
        'the outcome is shown above the progress');
    assert.ok((await page.locator('.progress .text').allInnerTexts()).includes('Run statistics calculated and output.'));
    const charges = await linkedCharges(page);
    assert.ok(new Set(charges).size > 1, `every peak list has one charge: ${charges}`);
    await shoot(page, 'run.png');

    // The run report link opens, in a tab of its own beside the run page.
    const [reportPage] = await Promise.all([context.waitForEvent('page'),
                                            page.click('#report', { modifiers: ['Control'] })]);
    await reportPage.getByText('Precursor m/z against retention time').first().waitFor();
    // Every chart whole at this width: each of its texts (titles, ticks,
    // legends, axis labels, counts) inside its box.
    const charts = await reportPage.evaluate(() => [...document.querySelectorAll('svg.chart')].map((svg) => {
        const box = svg.getBoundingClientRect();
        const outside = [...svg.querySelectorAll('text')].filter((text) => {
            const r = text.getBoundingClientRect();
            return r.left < box.left - 0.5 || r.right > box.right + 0.5 || r.top < box.top - 0.5 ||
                r.bottom > box.bottom + 0.5;
        }).map((text) => text.textContent);
        return { chart: svg.getAttribute('aria-label'), outside };
    }));
    assert.ok(charts.length >= 8, `only ${charts.length} charts on the report`);
    assert.deepEqual(charts.filter(({ outside }) => outside.length > 0), [], 'texts outside their chart');
    assert.ok(charts.some(({ chart }) => chart === 'MS/MS spectra per minute'), 'no MS/MS per minute chart');
    assert.ok(await fitsWidth(reportPage), 'the report is wider than the window');
    await shoot(reportPage, 'report.png', true);
    await reportPage.close();

    // The archive downloads and unpacks to the request's files.
    const [download] = await Promise.all([page.waitForEvent('download'), page.click('#archive')]);
    const archive = join(work, 'request.tar.gz');
    await download.saveAs(archive);
    const unpacked = join(work, 'unpacked');
    mkdirSync(unpacked);
    execFileSync('tar', ['-xzf', archive, '-C', unpacked]);
    const [request] = readdirSync(unpacked);
    const firstQuery = queryOf(request);
    const kept = filesUnder(join(resultsRoot, request));
    const got = filesUnder(join(unpacked, request));
    assert.deepEqual([...got.keys()].sort(), [...kept.keys()].sort());
    for (const [name, bytes] of kept) assert.ok(bytes.equals(got.get(name)), `${name} differs in the archive`);
    assert.ok([...kept.keys()].filter((name) => name.endsWith('.pkl')).length === charges.length);

    // The wiffharvest form: no charge rule to choose, only its own runs.
    await page.click('nav >> text=wiffharvest');
    await page.waitForURL(`${base}/cgi-bin/wiffharvest`);
    assert.equal(await page.locator('#autoCharge').count(), 0);
    // The .wiff file is not there: its first export stands for it.
    assert.deepEqual(await page.locator('#runPicker option').allInnerTexts(), ['(pick a run)', 'lysate3-Sample1.mzML']);
    await page.selectOption('#runPicker', 'lysate3-Sample1.mzML');
    await page.selectOption('#peakListFormat', 'both');
    await Promise.all([page.waitForURL(`${base}/cgi-bin/wiffharvest`), page.click('#submit')]);
    await page.locator('#results').waitFor();
    assert.match(await outcome.innerText(), /^FINISHED/);
    assert.deepEqual(await page.locator('.progress h3.sample').allInnerTexts(), ['Sample 1 of 2', 'Sample 2 of 2']);
    assert.deepEqual(await page.locator('ul.mgf a').allInnerTexts(), ['lysate3.mgf', 'lysate3_2.mgf']);
    const wiffCharges = await linkedCharges(page);
    assert.ok(new Set(wiffCharges).size > 1, `every peak list has one charge: ${wiffCharges}`);

    // A link with only the run takes the whole run, and says what it filled in.
    await page.goto(`${base}/cgi-bin/yepharvest?xtractorDataFilename=long.d/Analysis.yep&peakListFormat=pkl`);
    await page.locator('#results').waitFor();
    assert.match(await page.locator('.filled').innerText(), /autoCharge=Find, lastScan=999999999,/);
    const late = (await page.locator('ul.peaklists a').allTextContents()).filter((name) => /^long\.1\d{4}\./.test(name));
    assert.ok(late.length > 0, 'no peak list after scan 9999');

    // Without JavaScript every field shows; the same choices give the
    // program the same query.
    plainContext = await chromium.launchPersistentContext(join(work, 'plain-profile'), {
        executablePath: '/usr/bin/chromium', headless: true, args: browserArgs, javaScriptEnabled: false,
        viewport: { width: 1280, height: 900 },
    });
    const plain = plainContext.pages()[0] ?? await plainContext.newPage();
    plain.setDefaultTimeout(60000);
    await plain.goto(`${base}/cgi-bin/yepharvest`);
    for (const field of ['#lowCharge', '#highCharge', '#firstScan', '#lastScan']) {
        assert.equal(await plain.locator(field).isVisible(), true, `${field} without JavaScript`);
    }
    await plain.fill('#xtractorDataFilename', 'sample7.d');
    await plain.selectOption('#peakListFormat', 'pkl');
    await Promise.all([plain.waitForURL(`${base}/cgi-bin/yepharvest`), plain.click('#submit')]);
    await plain.locator('#results').waitFor();
    assert.equal(queryOf(newestRequest()), firstQuery);
    await plainContext.close();
    plainContext = undefined;

    // A refused request gets its status and one clean page, and no folder;
    // its link leads back to the form with the values given.
    const before = requestCount();
    for (const [query, status, said] of [
        ['xtractorDataFilename=sample7.d/Analysis.yep&groupScans=abc', 400, /groupScans "abc": not a whole number/],
        [`xtractorDataFilename=${encodeURIComponent('sample7.d/../../../etc/passwd')}`, 403, /outside the data root/],
        ['xtractorDataFilename=sample8.d&groupScans=7', 404,
         /^xtractorDataFilename "sample8\.d": there is no run folder sample8\.d under the data root\.$/]]) {
        const refused = await page.goto(`${base}/cgi-bin/yepharvest?${query}`);
        assert.equal(refused.status(), status);
        assert.match(await page.locator('.refusal').innerText(), said);
    }
    assert.equal(requestCount(), before);
    await shoot(page, 'refused.png');
    await Promise.all([page.waitForURL(/\/cgi-bin\/yepharvest\?edit=1&/), page.click('#back')]);
    assert.equal(await page.inputValue('#xtractorDataFilename'), 'sample8.d');
    assert.equal(await page.inputValue('#groupScans'), '7');
    assert.equal(requestCount(), before);

    // A failed run says so first, with the program's own sentence.
    mkdirSync(join(dataRoot, brokenRun));
    writeFileSync(join(dataRoot, brokenRun, 'Analysis.mzML'), '<mzML>cut off');
    await page.goto(`${base}/cgi-bin/yepharvest?xtractorDataFilename=${brokenRun}`);
    await page.locator('#results').waitFor();
    assert.match(await outcome.innerText(), /^FAILED \(exit status 1, after \d+:\d\d\): \S/);
    await shoot(page, 'failed.png');

    // The results list, in the window: status, program, run, spectra,
    // format; run again.
    await page.goto(`${base}/cgi-bin/results`);
    assert.equal(await page.locator('table.requests tr.finished').count(), 4);
    assert.equal(await page.locator('table.requests tr.failed').count(), 1);
    assert.ok(await fitsWidth(page), 'the results list is wider than the window');
    const wiffRow = page.locator('table.requests tr', { hasText: 'wiffharvest' });
    assert.match(await wiffRow.innerText(), /\tfinished\twiffharvest\tlysate3\.wiff\t[1-9]\d*\tboth\tlysate3-/);
    await shoot(page, 'results.png');
    await wiffRow.getByText('run again with these settings').click();
    await page.waitForURL(/\/cgi-bin\/wiffharvest\?again=/);
    assert.equal(await page.inputValue('#xtractorDataFilename'), 'lysate3-Sample1.mzML');
    assert.equal(await page.inputValue('#peakListFormat'), 'both');
    console.log('browser test passed: both forms, report, archive, whole run, no JavaScript, 400, 403, 404 and ' +
                'back, failed run, results');
} finally {
    if (plainContext) await plainContext.close();
    if (context) await context.close();
    server.kill('SIGTERM');
    await new Promise((resolve) => (server.exitCode !== null ? resolve() : server.on('exit', resolve)));
    rmSync(work, { recursive: true, force: true });
}
