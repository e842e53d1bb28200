// The page in headless Chromium, opened from the disk: one form of each
// group filled and its result read, each chart checked for drawn pixels, a
// bad value shown beside its field, the address repeating a calculation,
// a selection's file downloaded, keyboard and phone-width use, nothing
// fetched from the network, and window.quorbel against the native tool.
// Screenshots go to build/web-test/.
// Exit status: 0 passed, 1 failed, 77 the browser cannot start here.
import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {createRequire} from 'node:module';
import {fileURLToPath} from 'node:url';

import {compareAnswers} from './compare.mjs';

const require = createRequire(import.meta.url);
const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '..', '..');
const pageUrl = 'file://' + path.join(root, 'build', 'web', 'index.html');
const shots = path.join(root, 'build', 'web-test');
const cli = process.env.QUORBEL_CLI || path.join(root, 'build', 'native', 'quorbel');
const executable = process.env.QUORBEL_CHROMIUM || '/usr/bin/chromium';

function skip(reason) {
  console.log(`SKIPPED: the browser tests: ${reason}`);
  process.exit(77);
}

let chromium;
try {
  ({chromium} = require(path.join(here, '..', 'node_modules', 'playwright-core')));
} catch (error) {
  skip(`playwright-core is not installed (npm ci in web/): ${error.message}`);
}
if (!fs.existsSync(executable)) skip(`no Chromium at ${executable}`);
// Whether Chromium can start here at all is asked of Chromium itself, so
// that a fault of these tests is never taken for a machine's lack.
const flags = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
               '--disable-background-networking', '--disable-component-update', '--disable-sync'];
try {
  execFileSync(executable, [...flags, '--user-data-dir=' + fs.mkdtempSync(path.join(os.tmpdir(), 'quorbel-probe-')),
                            '--dump-dom', 'about:blank'], {timeout: 60000, stdio: ['ignore', 'pipe', 'pipe']});
} catch (error) {
  const said = String(error.stderr || '').trim().split('\n').pop();
  skip(`headless Chromium cannot start on this machine: ${said || error.message.split('\n')[0]}`);
}
const browser = await chromium.launch({executablePath: executable, timeout: 60000, args: flags.slice(1)});
fs.mkdirSync(shots, {recursive: true});

const failures = [];
async function check(name, body) {
  try {
    await body();
    console.log(`ok - ${name}`);
  } catch (error) {
    failures.push(name);
    console.log(`not ok - ${name}\n  ${String(error.stack || error).split('\n').slice(0, 4).join('\n  ')}`);
  }
}

const offPage = [];
async function openPage(hash = '', viewport = {width: 1280, height: 1000}) {
  const page = await browser.newPage({viewport, acceptDownloads: true});
  page.on('request', (request) => {
    if (!/^(file|data|blob):/.test(request.url())) offPage.push(request.url());
  });
  page.on('pageerror', (error) => failures.push('page error: ' + error.message));
  await page.goto(pageUrl + hash);
  await page.evaluate(() => window.quorbel.ready);
  await page.waitForSelector('#results h2, #form-error:not([hidden]), .field .error:not([hidden])');
  return page;
}

// Types into a field as a person would, then waits for the calculation.
async function fill(page, values) {
  for (const [option, value] of Object.entries(values)) await page.fill('#field-' + option, String(value));
  await page.waitForTimeout(400);
}

const resultText = (page) => page.textContent('#results');

// The value shown in the row of the result tables labelled `label`.
const cell = (page, label) => page.evaluate((text) => {
  for (const row of document.querySelectorAll('#results tr'))
    if (row.querySelector('th') && row.querySelector('th').textContent === text && row.querySelector('td'))
      return row.querySelector('td').textContent;
  return null;
}, label);

// A chart has drawn when its canvas holds pixels that are not transparent.
async function drawnPixels(page, id) {
  return page.evaluate((canvasId) => {
    const canvas = document.getElementById(canvasId);
    if (!canvas) return 0;
    const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    let count = 0;
    for (let i = 3; i < data.length; i += 4) if (data[i] !== 0) ++count;
    return count;
  }, id);
}

async function assertChart(page, id, shot) {
  const pixels = await drawnPixels(page, id);
  assert.ok(pixels > 5000, `${id} has only ${pixels} drawn pixels`);
  if (shot) await page.locator('#' + id).screenshot({path: path.join(shots, shot)});
}

const native = (words) => JSON.parse(execFileSync(cli, [...words, '--json'], {encoding: 'utf8'}));

await check('plan a sample: the prevalence sample size and its ladder', async () => {
  const page = await openPage('#sample-size/simple-random');
  await fill(page, {prevalence: '0.25', precision: '0.1', population: '1200', confidence: '90'});
  const expected = native(['sample-size', 'simple-random', '--prevalence', '0.25', '--precision', '0.1', '--population', '1200', '--confidence', '90']);
  assert.equal(await cell(page, 'population sample size'), String(expected.population.sampleSize));
  await assertChart(page, 'chart-ladder', 'ladder.png');
  assert.match(page.url(), /#sample-size\/simple-random\?prevalence=0\.25&precision=0\.1&confidence=90&population=1200$/);
  // The address alone repeats the calculation in a fresh page.
  const again = await openPage(page.url().slice(page.url().indexOf('#')));
  assert.equal(await resultText(again), await resultText(page));
  await page.screenshot({path: path.join(shots, 'plan.png'), fullPage: true});
  await again.close();
  await page.close();
});

await check('a bad value shows the tool\'s message beside its field', async () => {
  const page = await openPage('#sample-size/simple-random');
  await fill(page, {prevalence: '1.5'});
  const message = await page.textContent('#field-prevalence-error');
  assert.match(message, /^--prevalence rejected: it must be a proportion, 0\.000001 <= value < 1 \(result code 0x60000001/);
  assert.equal(await page.getAttribute('#field-prevalence', 'aria-invalid'), 'true');
  assert.equal(await page.isVisible('#field-prevalence-error'), true);
  await page.screenshot({path: path.join(shots, 'error.png')});
  await fill(page, {prevalence: '0.3'});
  assert.equal(await page.isVisible('#field-prevalence-error'), false);
  await page.close();
});

await check('analyse a sample: intervals side by side, and true against apparent prevalence', async () => {
  const page = await openPage('#interval/proportion');
  await fill(page, {positives: '7', sample: '40', confidence: '99'});
  const expected = native(['interval', 'proportion', '--positives', '7', '--sample', '40', '--confidence', '99']);
  assert.ok((await resultText(page)).includes(String(expected.clopperPearson.lower)), 'the Clopper-Pearson lower limit is shown');
  await assertChart(page, 'chart-intervals', 'intervals.png');
  await page.goto(pageUrl + '#prevalence/true?positives=12&tested=150&sensitivity=0.85&specificity=0.97');
  await page.waitForSelector('#chart-true-prevalence');
  const truth = native(['prevalence', 'true', '--positives', '12', '--tested', '150', '--sensitivity', '0.85', '--specificity', '0.97']);
  assert.ok((await resultText(page)).includes(String(truth.estimate)), 'the estimate is shown');
  await assertChart(page, 'chart-true-prevalence', 'true-prevalence.png');
  await page.close();
});

// The risk-based example of the README: 198 herds, 99 in each group; the
// curve passes through the answer (the page splits each total as the
// search does), and three periods at its sensitivity reach 0.99934.
await check('demonstrate freedom: sensitivity against sample size, and freedom over periods', async () => {
  const page = await openPage('#freedom/sample-size?prevalence=0.01&sensitivity=0.9&risk-groups=3:0.1:0.5,1:0.9:0.5');
  await page.waitForSelector('#chart-freedom-design');
  await assertChart(page, 'chart-freedom-design', 'freedom-design.png');
  const design = await page.evaluate(() => Chart.getChart('chart-freedom-design').data.datasets.map((d) => ({label: d.label, data: d.data})));
  const curve = design.find((d) => d.label === 'population sensitivity').data.find((p) => p.x === 198);
  const expected = native(['freedom', 'sample-size', '--prevalence', '0.01', '--sensitivity', '0.9', '--risk-groups', '3:0.1:0.5,1:0.9:0.5']);
  assert.equal(curve.y, expected.sensitivity, 'the curve at 198 is the answer');
  assert.ok(design.some((d) => d.label === 'target 0.95'), design.map((d) => d.label).join('; '));
  await page.goto(pageUrl + '#freedom/probability?prior=0.5&introduction=0.01&sensitivity=0.95,0.95,0.95');
  await page.waitForSelector('#chart-freedom-probability');
  await assertChart(page, 'chart-freedom-probability', 'freedom-probability.png');
  const periods = native(['freedom', 'probability', '--prior', '0.5', '--introduction', '0.01', '--sensitivity', '0.95,0.95,0.95']);
  const labels = await page.evaluate(() => Chart.getChart('chart-freedom-probability').data.datasets.map((d) => d.label));
  assert.ok(labels.includes('equilibrium ' + periods.equilibrium), labels.join('; '));
  await page.close();
});

// The README's Bayesian example and prior: the charts draw, the credible
// interval in the legend is the tool's, and the prior's shapes are shown.
await check('imperfect tests: the posterior of the true prevalence, and a Beta prior', async () => {
  const page = await openPage('#prevalence/bayes?positives=18&tested=150&sensitivity-prior=85,15&specificity-prior=97,3');
  await page.waitForSelector('#chart-bayes-posterior');
  await assertChart(page, 'chart-bayes-posterior', 'bayes-posterior.png');
  const expected = native(['prevalence', 'bayes', '--positives', '18', '--tested', '150', '--sensitivity-prior', '85,15', '--specificity-prior', '97,3']);
  const labels = await page.evaluate(() => Chart.getChart('chart-bayes-posterior').data.datasets.map((d) => d.label));
  assert.ok(labels.includes('95 % credible interval ' + expected.lower.toPrecision(4) + ' to ' + expected.upper.toPrecision(4)), labels.join('; '));
  await page.goto(pageUrl + '#prior/beta?mode=0.9&at-least=0.7');
  await page.waitForSelector('#chart-beta-prior');
  await assertChart(page, 'chart-beta-prior', 'beta-prior.png');
  const prior = await page.evaluate(() => Chart.getChart('chart-beta-prior').data.datasets[0].label);
  assert.equal(prior, 'Beta(15.034, 2.5594)');
  await page.close();
});

// A systematic selection of the example list: the bar chart shows every
// unit, the chosen ones coloured, and says how many were chosen.
await check('select units with inclusion probabilities: the chosen units among the sizes', async () => {
  const page = await openPage('#select/systematic?count=3&seed=7');
  await page.waitForSelector('#chart-selection');
  await assertChart(page, 'chart-selection', 'selection.png');
  const chart = await page.evaluate(() => {
    const c = Chart.getChart('chart-selection');
    return {labels: c.data.labels, label: c.data.datasets[0].label, colours: c.data.datasets[0].backgroundColor};
  });
  assert.equal(chart.labels.length, 6, chart.labels.join('; '));
  assert.match(chart.label, /^3 chosen of 6 \(\d+ certain\)$/);
  assert.equal(chart.colours.filter((c) => !c.startsWith('rgba(122')).length, 3);
  await page.close();
});

await check('show absence of disease: the detection design against its target', async () => {
  const page = await openPage('#detect/sample-size');
  await fill(page, {prevalence: '0.05', population: '1000', sensitivity: '0.95', specificity: '0.98'});
  const expected = native(['detect', 'sample-size', '--prevalence', '0.05', '--population', '1000', '--sensitivity', '0.95', '--specificity', '0.98']);
  assert.equal(await cell(page, 'sample size'), String(expected.sampleSize));
  assert.equal(await cell(page, 'exact sample size'), String(expected.exact.sampleSize));
  await assertChart(page, 'chart-detection', 'detection-design.png');
  const legend = await page.evaluate(() => Chart.getChart('chart-detection').data.datasets.map((d) => d.label));
  assert.ok(legend.some((label) => /^exact design: 189 animals, positive at 8$/.test(label)), legend.join('; '));
  assert.ok(legend.some((label) => /^target confidence 0\.95$/.test(label)), legend.join('; '));
  await page.close();
});

await check('select units: a chosen list file, and the result file offered for download', async () => {
  const page = await openPage('#select/pps');
  const herds = 'Herd A;120\nHerd B;45\nHerd C;300\nHerd D;80\nHerd E;60\nHerd F;210\n';
  await page.setInputFiles('#field-list', {name: 'herds.txt', mimeType: 'text/plain', buffer: Buffer.from(herds)});
  await page.selectOption('#field-separator', ';');
  await fill(page, {count: '3', seed: '7'});
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'quorbel-browser-'));
  // The tool reads the same semicolon list with --separator ';', as the page does.
  fs.writeFileSync(path.join(scratch, 'herds.txt'), herds);
  const words = ['select', 'pps', 'herds.txt', 'chosen.txt', '--count', '3', '--seed', '7', '--separator', ';'];
  const expected = JSON.parse(execFileSync(cli, [...words, '--json'], {cwd: scratch, encoding: 'utf8'}));
  const text = await resultText(page);
  for (const unit of expected.units) assert.ok(text.includes(unit.name), `${unit.name} is listed`);
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('text=Download chosen.txt')]);
  const saved = path.join(scratch, 'downloaded.txt');
  await download.saveAs(saved);
  assert.equal(fs.readFileSync(saved, 'utf8'), fs.readFileSync(path.join(scratch, 'chosen.txt'), 'utf8'));
  const csv = await page.evaluate(() => fetch(document.querySelector('a[download$=".csv"]').href).then((r) => r.text()));
  fs.rmSync(path.join(scratch, 'chosen.txt'));  // as the page ran: no --force in the settings
  const nativeCsv = execFileSync(cli, [...words, '--csv'], {cwd: scratch, encoding: 'utf8'});
  assert.equal(csv, nativeCsv);
  await page.screenshot({path: path.join(shots, 'select.png'), fullPage: true});
  await page.close();
});

await check('every command calculates from its form', async () => {
  const page = await openPage();
  const keys = await page.evaluate(() => quorbel.commands().map((c) => c.family + '/' + c.name));
  for (const key of keys) {
    await page.evaluate((hash) => { location.hash = hash; }, key);
    await page.waitForFunction((hash) => location.hash.startsWith('#' + hash) && document.querySelector('#results h2'), key);
    assert.equal(await page.isVisible('#form-error'), false, `${key} opens without an error`);
  }
  await page.close();
});

await check('keyboard alone, and a phone-width screen', async () => {
  const page = await openPage('', {width: 390, height: 844});
  const overflow = await page.evaluate(() => document.documentElement.scrollWidth - document.documentElement.clientWidth);
  assert.ok(overflow <= 0, `the page is ${overflow} px wider than the phone`);
  await page.keyboard.press('Tab');  // the skip link
  await page.keyboard.press('Tab');  // the first calculation
  await page.keyboard.press('Tab');  // the second
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => location.hash.startsWith('#sample-size/stratified'));
  await page.screenshot({path: path.join(shots, 'phone.png'), fullPage: true});
  await page.close();
});

await check('window.quorbel answers as the native tool', async () => {
  const page = await openPage();
  const runs = [
    [['detect', 'evaluate', '--population', '1000', '--sample', '30', '--prevalence', '0.02', '--sensitivity', '0.95', '--specificity', '1', '--positive-at', '1'],
     'detect_evaluate', {population: 1000, sample: 30, prevalence: 0.02, sensitivity: 0.95, specificity: 1, positive_at: 1}, true],
    [['detect', 'evaluate', '--population', 'infinite', '--sample', '30', '--prevalence', '0.02', '--sensitivity', '0.95', '--specificity', '0.99', '--positive-at', '2'],
     'detect_evaluate', {population: Infinity, sample: 30, prevalence: 0.02, sensitivity: 0.95, specificity: 0.99, positive_at: 2}, true],
    [['interval', 'stratified', '--strata', '1000:100:0.3,2000:150:0.1'], 'interval_stratified', {strata: '1000:100:0.3,2000:150:0.1'}, false],
    [['detect', 'two-stage', '--herds', '500', '--herd-prevalence', '0.05', '--within-herd-prevalence', '0.2', '--herd-size', '100',
      '--herd-sensitivity', '95', '--sensitivity', '0.9', '--specificity', '0.98'], 'detect_two_stage',
     {herds: 500, herd_prevalence: 0.05, within_herd_prevalence: 0.2, herd_size: 100, herd_sensitivity: 95, sensitivity: 0.9, specificity: 0.98}, false],
  ];
  for (const [words, name, options, exactLayer] of runs) {
    const web = await page.evaluate(([fn, args]) => {
      const value = args.population === 'Infinity' ? Object.assign({}, args, {population: Infinity}) : args;
      return quorbel[fn](value);
    }, [name, options.population === Infinity ? Object.assign({}, options, {population: 'Infinity'}) : options]);
    compareAnswers(web, native(words), words.slice(0, 2).join(' '));
  }
  const error = await page.evaluate(() => {
    try {
      quorbel.detect_exact({population: 1000, prevalence: 2, sensitivity: 0.9, specificity: 0.9});
    } catch (error) {
      return error instanceof Error && {message: error.message, argument: error.argument, codeName: error.codeName};
    }
    return null;
  });
  assert.match(error.message, /^prevalence rejected: it must be /);
  assert.deepEqual([error.argument, error.codeName], ['prevalence', 'QUORBEL_EXACT_E_PREVALENCE']);
  await page.close();
});

await check('nothing was fetched from the network', async () => assert.deepEqual(offPage, []));

await browser.close();
console.log(failures.length ? `browser tests: ${failures.length} failed: ${failures.join('; ')}` : 'browser tests: all passed');
process.exit(failures.length ? 1 : 0);
