// The WebAssembly module under node, through window.quorbel's functions:
// worked values bit for bit (floats as Math.fround of the printed value),
// the exact layer against R's full sums, the native tool's JSON for the same
// words, and the errors, files and warnings of the surface.
import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {createRequire} from 'node:module';
import {before, describe, test} from 'node:test';
import {fileURLToPath} from 'node:url';

import {compareAnswers} from './compare.mjs';

const require = createRequire(import.meta.url);
const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..');
const page = path.join(root, 'build', 'web');
const quorbel = require(path.join(page, 'quorbel-api.js'))(require(path.join(page, 'quorbel.js')));
const cli = process.env.QUORBEL_CLI || path.join(root, 'build', 'native', 'quorbel');

before(() => quorbel.ready);

const float = (value) => Math.fround(value);
// Values printed rounded (to 6 digits, say) agree within half their last digit.
const near = (actual, expected, halfDigit, what) =>
  assert.ok(Math.abs(actual - expected) <= halfDigit, `${what}: ${actual} is not ${expected} ± ${halfDigit}`);

describe('worked values', () => {
  // Each row: the call, then checks of its answer. Integers and the floats
  // printed to their full eight digits are compared exactly.
  const cases = [
    ['prevalence sample size, P 0.3, d 0.1, 95 %, N 1000', () => quorbel.sample_size_simple_random({prevalence: 0.3, precision: 0.1, confidence: 95, population: 1000}),
     (r) => {
       assert.equal(r.population.sampleSize, 473);
       assert.deepEqual(r.ladder.map((row) => row.sampleSize), [48, 90, 129, 164, 225, 277, 321, 409, 473, 562, 619, 714, 761, 801, 823]);
       assert.equal(r.infinitePopulation, 897);
     }],
    ['stratified sample size (1000, 0.3), (2000, 0.1), precision 0.2', () => quorbel.sample_size_stratified({precision: 0.2, strata: '1000:0.3,2000:0.1'}),
     (r) => {
       assert.equal(float(r.overallPrevalence), float(0.16666667));
       assert.deepEqual(r.strata.map((s) => s.sampleSize), [163, 213]);
       assert.equal(r.total, 376);
     }],
    ['two-stage sample size, preset 3 (design effect 7)', () => quorbel.sample_size_two_stage({prevalence: 0.3, precision: 0.2, animals_per_cluster: 10, preset: 3}),
     (r) => assert.deepEqual([r.clusters, r.animals], [157, 1570])],
    ['simple-random interval, proportion 0.3 of 100 in 1000', () => quorbel.interval_simple_random({proportion: 0.3, sample: 100, population: 1000}),
     (r) => assert.deepEqual([r.lower, r.upper].map(float), [float(0.21479072), float(0.38520932)])],
    ['simple-random interval, 30 positives of 100 in 1000', () => quorbel.interval_simple_random({positives: 30, sample: 100, population: 1000}),
     (r) => assert.deepEqual([r.estimate, r.lower, r.upper].map(float), [float(0.3), float(0.21479072), float(0.38520932)])],
    ['negative lower limit, p 0.02, n 10, N 1000', () => quorbel.interval_simple_random({proportion: 0.02, sample: 10, population: 1000}),
     (r) => assert.deepEqual([r.lower, r.upper].map(float), [float(-0.066337943), float(0.10633794)])],
    ['stratified interval (1000, 100, 0.3), (2000, 150, 0.1)', () => quorbel.interval_stratified({strata: '1000:100:0.3,2000:150:0.1'}),
     (r) => assert.deepEqual([r.estimate, r.lower, r.upper].map(float), [float(0.16666667), float(0.1246091), float(0.20872425)])],
    ['two-stage interval of four clusters', () => quorbel.interval_two_stage({file: 'H1,10,2\nH2,20,5\nH3,15,0\nH4,12,3\n'}),
     (r) => {
       assert.equal(float(r.prevalence), float(10 / 57));
       assert.deepEqual([r.clusters, r.animals, r.positives], [4, 57, 10]);
       near(r.standardError, 0.064093, 5e-7, 'SE');
       near(r.lower, 0.049817, 5e-7, 'lower');
       near(r.upper, 0.30106, 5e-6, 'upper');
       near(r.designEffect, 1.6186, 5e-5, 'design effect');
     }],
    ['comparison sample size, 0.2 against 0.4', () => quorbel.compare_sample_size({p1: 0.2, p2: 0.4}),
     (r) => assert.deepEqual([r.twoSided, r.oneSided], [91, 74])],
    ['comparison sample size, 0.05 against 0.1 at 99 % and power 95', () => quorbel.compare_sample_size({p1: 0.05, p2: 0.1, confidence: 99, power: 95}),
     (r) => assert.deepEqual([r.twoSided, r.oneSided], [1025, 912])],
    ['difference of 0.2 of 100 and 0.35 of 120', () => quorbel.compare_interval({p1: 0.2, size1: 100, p2: 0.35, size2: 120}),
     (r) => {
       assert.equal(float(r.difference), float(0.14999999));
       near(r.intervals[0].lower, 0.052738, 5e-7, '90 % lower');
       near(r.intervals[2].lower, -0.002307, 5e-7, '99 % lower');
       assert.deepEqual(r.intervals.map((i) => i.significant), [true, true, false]);
     }],
    ['true prevalence, AP 0.3, Se 0.9, Sp 0.95', () => quorbel.prevalence_true({apparent: 0.3, sensitivity: 0.9, specificity: 0.95}),
     (r) => assert.deepEqual([float(r.truePrevalence), r.negative], [float(0.25 / 0.85), false])],
    ['true prevalence, AP 0.02: negative', () => quorbel.prevalence_true({apparent: 0.02, sensitivity: 0.9, specificity: 0.95}),
     (r) => {
       near(r.truePrevalence, -0.035294, 5e-7, 'TP');
       assert.equal(r.negative, true);
     }],
    ['mean sample size, error 2, sd 10, N 1000', () => quorbel.mean_sample_size({error: 2, sd: 10, population: 1000}),
     (r) => {
       assert.deepEqual(r.ladder.map((row) => row.sampleSize), [33, 49, 59, 65, 73, 77, 81, 85, 88, 90, 92, 93, 94, 95, 95]);
       assert.deepEqual([r.infinitePopulation, r.population.sampleSize], [96, 88]);
     }],
    ['detection sample size, N 100, P 0.05, Se 0.9, Sp 0.98', () => quorbel.detect_sample_size({prevalence: 0.05, population: 100, sensitivity: 0.9, specificity: 0.98}),
     (r) => assert.deepEqual([r.sampleSize, r.reactorCutOff], [47, 2])],
    ['detection sample size, N 1000, P 0.01, Se 1, Sp 1', () => quorbel.detect_sample_size({prevalence: 0.01, population: 1000, sensitivity: 1, specificity: 1}),
     (r) => assert.deepEqual([r.sampleSize, r.reactorCutOff], [257, 0])],
    ['detection sample size, two tests in parallel', () => quorbel.detect_sample_size({prevalence: 0.01, population: 1000, sensitivity: 0.9, specificity: 0.95, sensitivity2: 0.8, specificity2: 0.99, combination: 'parallel'}),
     (r) => assert.deepEqual([r.sampleSize, r.reactorCutOff], [262, 21])],
    ['detection sample size, two tests in series', () => quorbel.detect_sample_size({prevalence: 0.01, population: 1000, sensitivity: 0.9, specificity: 0.95, sensitivity2: 0.8, specificity2: 0.99, combination: 'serial'}),
     (r) => assert.deepEqual([r.sampleSize, r.reactorCutOff], [339, 0])],
    ['two-stage detection: 500 herds of 100', () => quorbel.detect_two_stage({herds: 500, herd_prevalence: 0.05, within_herd_prevalence: 0.2, herd_size: 100, herd_sensitivity: 95, sensitivity: 0.9, specificity: 0.98}),
     (r) => assert.deepEqual([r.herdsToSample, r.animalsPerHerd, r.totalAnimals, r.herdReactorCutOff, r.totalReactorCutOff], [57, 14, 798, 0, 22])],
    ['maximum prevalence after 30 negatives of 1000', () => quorbel.detect_maximum_prevalence({sample: 30, population: 1000, sensitivity: 1, prevalence: 0.05}),
     (r) => {
       assert.equal(r.diseasedAnimals, 94);
       near(r.maximumPrevalence, 0.093656, 5e-7, 'maximum prevalence');
       near(r.detectionProbability, 0.79024, 5e-6, 'detection probability');
     }],
  ];
  for (const [name, call, check] of cases) test(name, () => check(call()));
});

// The exact layer against tests/reference/exact_reference.inc, which R wrote
// from full sums (tests/reference/exact_reference.R).
function referenceRows(name) {
  const text = fs.readFileSync(path.join(root, 'tests', 'reference', 'exact_reference.inc'), 'utf8');
  const block = text.slice(text.indexOf(name)).split('};')[0];
  return [...block.matchAll(/\{([^{}]+)\}/g)].map((m) => m[1].split(',').map((field) => {
    const word = field.trim();
    return word === 'true' ? true : word === 'false' ? false : Number(word);
  }));
}

describe('exact layer against R', () => {
  const tolerance = 1e-9;
  test('evaluation of a design', () => {
    for (const [population, sample, prevalence, se, sp, positiveAt, diseased, seP, spP] of referenceRows('kEvaluateCases')) {
      const r = quorbel.detect_evaluate({population: population || Infinity, sample, prevalence, sensitivity: se, specificity: sp, positive_at: positiveAt});
      const what = `N ${population}, n ${sample}, c ${positiveAt}`;
      if (diseased) assert.equal(r.diseasedUnits, diseased, what);
      near(r.populationSensitivity, seP, tolerance, what);
      near(r.populationSpecificity, spP, tolerance, what);
    }
  });
  test('smallest design', () => {
    for (const [population, prevalence, se, sp, level, target, reachable, n, positiveAt, best] of referenceRows('kDesignCases')) {
      const r = quorbel.detect_exact({population: population || Infinity, prevalence, sensitivity: se, specificity: sp, confidence: level, specificity_target: target});
      const what = `N ${population}, P ${prevalence}`;
      assert.equal(r.reachable, reachable, what);
      if (reachable) {
        assert.deepEqual([r.sampleSize, r.positiveAt], [n, positiveAt], what);
        near(r.populationSensitivity, best, tolerance, what);
      } else {
        near(r.bestSensitivity, best, tolerance, what);
      }
    }
  });
});

// The same words through the native tool (compare.mjs tells how closely).
const LISTS = {
  'clusters.txt': 'H1,10,2\nH2,20,5\nH3,15,0\nH4,12,3\nH5,8,1\n',
  'farms.txt': Array.from({length: 40}, (_, i) => `Farm ${i + 1}`).join('\n') + '\n',
  'herds.txt': 'Herd A,120\nHerd B,45\nHerd C,300\nHerd D,80\nHerd E,60\nHerd F,210\n',
};

describe('the same answers as the native tool', {skip: !fs.existsSync(cli) && `no native tool at ${cli}`}, () => {
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'quorbel-web-'));
  for (const [name, text] of Object.entries(LISTS)) fs.writeFileSync(path.join(scratch, name), text);
  const exactCommands = new Set(['detect evaluate', 'detect exact', 'interval proportion']);
  const runs = [
    ['sample-size', 'simple-random', '--prevalence', '0.12', '--absolute-precision', '0.03', '--confidence', '90', '--population', '2500'],
    ['sample-size', 'stratified', '--precision', '0.15', '--strata', '1000:0.3,2000:0.1,500:0.2,300:0.05,100:0.5'],
    ['sample-size', 'two-stage', '--prevalence', '0.2', '--precision', '0.25', '--animals-per-cluster', '12', '--rho', '0.05'],
    ['interval', 'simple-random', '--positives', '17', '--sample', '80', '--population', '900', '--confidence', '99'],
    ['interval', 'stratified', '--strata', '1000:100:0.3,2000:150:0.1,500:50:0.2,300:30:0.05,100:10:0.5'],
    ['interval', 'two-stage', 'clusters.txt', '--confidence', '90'],
    ['interval', 'proportion', '--positives', '3', '--sample', '250', '--confidence', '99.5'],
    ['compare', 'sample-size', '--p1', '0.1', '--p2', '0.2', '--confidence', '90', '--power', '90'],
    ['compare', 'interval', '--p1', '0.3', '--size1', '50', '--p2', '0.3', '--size2', '50'],
    ['prevalence', 'true', '--positives', '12', '--tested', '150', '--sensitivity', '0.85', '--specificity', '0.97', '--confidence', '90'],
    ['prevalence', 'true', '--apparent', '0.95', '--sensitivity', '0.9', '--specificity', '0.95'],
    ['mean', 'sample-size', '--error', '1.5', '--sd', '7', '--population', '640'],
    ['mean', 'interval', '--mean', '25', '--sd', '4', '--sample', '30', '--population', '200', '--confidence', '99'],
    ['detect', 'sample-size', '--prevalence', '0.02', '--population', '5000', '--sensitivity', '0.85', '--specificity', '0.99'],
    ['detect', 'sample-size', '--prevalence', '0.05', '--population', '1000', '--sensitivity', '0.95', '--specificity', '0.98'],
    ['detect', 'two-stage', '--herds', '200', '--herd-prevalence', '0.1', '--within-herd-prevalence', '0.1', '--herd-size', '60',
     '--herd-sensitivity', '90', '--sensitivity', '0.95', '--specificity', '0.99'],
    ['detect', 'maximum-prevalence', '--sample', '60', '--population', '500', '--sensitivity', '0.8', '--confidence', '99', '--prevalence', '0.033'],
    ['detect', 'evaluate', '--population', '100000', '--sample', '2000', '--prevalence', '0.05', '--sensitivity', '0.9', '--specificity', '0.98', '--positive-at', '50'],
    ['detect', 'evaluate', '--population', 'infinite', '--sample', '100', '--prevalence', '0.05', '--sensitivity', '0.9', '--specificity', '0.97', '--positive-at', '4'],
    ['detect', 'exact', '--population', '5000', '--prevalence', '0.02', '--sensitivity', '0.8', '--specificity', '0.99', '--confidence', '99', '--specificity-target', '0.9'],
    ['select', 'random', 'farms.txt', 'chosen.txt', '--count', '7', '--seed', '12345'],
    ['select', 'pps', 'herds.txt', 'chosen.txt', '--count', '4', '--seed', '99'],
  ];
  for (const words of runs) {
    test(words.join(' '), () => {
      const out = path.join(scratch, 'chosen.txt');
      fs.rmSync(out, {force: true});
      const native = JSON.parse(execFileSync(cli, [...words, '--json'], {cwd: scratch, encoding: 'utf8'}));
      const args = {};
      const positionals = words.slice(2).filter((w, i, all) => !w.startsWith('--') && !(i > 0 && all[i - 1].startsWith('--')));
      const fn = quorbel[(words[0] + '_' + words[1]).replace(/-/g, '_')];
      fn.command.positionals.forEach((name, i) => {
        const word = positionals[i];
        args[name.toLowerCase()] = name === 'OUT' ? word : {name: word, text: LISTS[word]};
      });
      for (let i = 2; i < words.length; ++i) {
        if (!words[i].startsWith('--')) continue;
        args[words[i].slice(2).replace(/-/g, '_')] = words[i + 1] === 'infinite' ? Infinity : words[i + 1];
        ++i;
      }
      const web = fn(args);
      compareAnswers(web, native, words.slice(0, 2).join(' '), exactCommands.has(words.slice(0, 2).join(' ')));
      if (fs.existsSync(out)) assert.equal(web.output, fs.readFileSync(out, 'utf8'), 'the written file');
    });
  }
});

describe('the surface', () => {
  test('every command of the tool has its function', {skip: !fs.existsSync(cli) && 'no native tool'}, () => {
    const table = JSON.parse(execFileSync(cli, ['--commands-json'], {encoding: 'utf8'}));
    for (const command of table) {
      const name = (command.family + '_' + command.name).replace(/-/g, '_');
      assert.equal(typeof quorbel[name], 'function', name);
    }
  });

  test('a rejected argument throws the tool\'s message', () => {
    assert.throws(() => quorbel.sample_size_simple_random({prevalence: 1.5, precision: 0.1, population: 1000}),
                  {message: /^--prevalence rejected: it must be .*\(result code 0x60000001, QUORBEL_E_PREVALENCE/});
    assert.throws(() => quorbel.detect_evaluate({population: 1000, sample: 30, prevalence: 0.02, sensitivity: 0.95}),
                  {message: /--positive-at|--specificity/});
    assert.throws(() => quorbel.interval_two_stage({file: 'H1,10,1\n'}), {message: /^FILE rejected/});
  });

  test('unknown arguments and separators are refused before anything runs', () => {
    assert.throws(() => quorbel.detect_exact({populaton: 10}), TypeError);
    assert.throws(() => quorbel.select_random({list: 'a\n', count: 1, separator: '\t'}), TypeError);
    assert.throws(() => quorbel.select_random({list: 42, count: 1}), TypeError);
  });

  test('an infinite population is Infinity', () => {
    const infinite = quorbel.detect_evaluate({population: Infinity, sample: 100, prevalence: 0.05, sensitivity: 0.9, specificity: 0.97, positive_at: 4});
    assert.equal(infinite.diseasedUnits, undefined);
    assert.ok(Math.abs(infinite.populationSensitivity - 0.94156610193853019) <= 1e-9);  // R, exact_reference.inc
  });

  test('the chosen separator splits the list, and the other one draws a warning', () => {
    const semicolons = 'H1;10;2\nH2;20;5\nH3;15;0\nH4;12;3\n';
    const split = quorbel.interval_two_stage({file: semicolons, separator: ';'});
    assert.equal(float(split.prevalence), float(10 / 57));
    assert.deepEqual(split.warnings, []);
    assert.throws(() => quorbel.interval_two_stage({file: semicolons}), {message: /^FILE rejected/});
    assert.throws(() => quorbel.select_pps({list: 'A;10\nB;20\nC;30\n', count: 1, seed: 1}), (error) => {
      assert.match(error.message, /^LIST rejected: .*QUORBEL_E_SIZED_LINE/);
      assert.match(error.warnings.join('\n'), /uses ';' but the list separator in effect is ',' \(the one chosen/);
      return true;
    });
  });

  test('a selection returns the file it wrote, and leaves no file behind', () => {
    const r = quorbel.select_random({list: {name: 'farms.txt', text: 'F1\nF2\nF3\n'}, out: 'mine.txt', count: 5, seed: 3});
    assert.equal(r.result, 'mine.txt');
    assert.equal(r.written, 3);
    assert.equal(r.output.split('\r\n').filter(Boolean).length, 3);
    assert.equal(JSON.stringify(r).includes('output'), false);  // the answer itself is the tool's JSON
    const again = quorbel.select_random({list: 'F1\nF2\nF3\n', count: 5, seed: 3});
    assert.equal(again.output, r.output);  // no "exists" refusal: the scratch folder was emptied
  });

  test('CSV of an answer is the tool\'s', {skip: !fs.existsSync(cli) && 'no native tool'}, () => {
    const words = ['sample-size', 'simple-random', '--prevalence', '0.3', '--precision', '0.1', '--population', '1000'];
    const native = execFileSync(cli, [...words, '--csv'], {encoding: 'utf8'});
    const web = quorbel.csv(quorbel.sample_size_simple_random({prevalence: 0.3, precision: 0.1, population: 1000}));
    assert.equal(web, native);
  });
});
