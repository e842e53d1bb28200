// The WebAssembly module under node, through window.quorbel's functions:
// the native tool's answers for every command's example and the shared
// cases, the exact layer against R's full sums, and the errors, files and
// warnings of the surface.
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
const near = (actual, expected, halfDigit, what) =>
  assert.ok(Math.abs(actual - expected) <= halfDigit, `${what}: ${actual} is not ${expected} ± ${halfDigit}`);

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

// The agreement check: every command's example and the shared cases of
// tests/agreement/cases.json, through the page's functions and the native
// tool (compare.mjs tells how closely).
const AGREEMENT = JSON.parse(fs.readFileSync(path.join(root, 'tests', 'agreement', 'cases.json'), 'utf8'));

function agreementRuns(table) {
  const runs = AGREEMENT.runs.map((words) => ({words, lists: AGREEMENT.lists}));
  for (const command of table) {
    if (!command.example.length) continue;
    const lists = command.exampleList.length ? {[command.example[2]]: command.exampleList.join('\n') + '\n'} : {};
    runs.push({words: command.example, lists});
  }
  return runs;
}

// A word as the page's functions take it: numbers as numbers, infinite as
// Infinity, anything else as text.
const typed = (word) => word === 'infinite' ? Infinity : /^-?[0-9.]+(e-?[0-9]+)?$/.test(word) ? Number(word) : word;

describe('the same answers as the native tool', {skip: !fs.existsSync(cli) && `no native tool at ${cli}`}, () => {
  const table = JSON.parse(execFileSync(cli, ['--commands-json'], {encoding: 'utf8'}));
  for (const {words, lists} of agreementRuns(table)) {
    test(words.join(' '), () => {
      const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'quorbel-web-'));
      for (const [name, text] of Object.entries(lists)) fs.writeFileSync(path.join(scratch, name), text);
      const native = JSON.parse(execFileSync(cli, [...words, '--json'], {cwd: scratch, encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore']}));
      const command = table.find((c) => c.family === words[0] && c.name === words[1]);
      const fn = quorbel[command.function];
      const args = {};
      const positionals = words.slice(2).filter((w, i, all) => !w.startsWith('--') && !(i > 0 && all[i - 1].startsWith('--')));
      command.positionals.forEach((name, i) => {
        const word = positionals[i];
        args[name.toLowerCase()] = name === 'OUT' ? word : {name: word, text: lists[word]};
      });
      for (let i = 2; i < words.length; ++i) {
        if (!words[i].startsWith('--')) continue;
        const option = command.options.find((o) => o.name === words[i]);
        args[option.argument] = option.kind === 'flag' ? true : typed(words[++i]);
      }
      const web = fn(args);
      compareAnswers(web, native, words.slice(0, 2).join(' '));
      const outAt = command.positionals.indexOf('OUT');
      const out = path.join(scratch, outAt < 0 ? 'none' : positionals[outAt]);
      if (fs.existsSync(out)) assert.equal(web.output, fs.readFileSync(out, 'utf8'), 'the written file');
      fs.rmSync(scratch, {recursive: true, force: true});
    });
  }
});

describe('the surface', () => {
  test('every command of the tool has its function', {skip: !fs.existsSync(cli) && 'no native tool'}, () => {
    const table = JSON.parse(execFileSync(cli, ['--commands-json'], {encoding: 'utf8'}));
    for (const command of table) {
      assert.equal(typeof quorbel[command.function], 'function', command.function);
    }
  });

  test('a rejected argument throws an Error with its fields', () => {
    assert.throws(() => quorbel.sample_size_simple_random({prevalence: 1.5, precision: 0.1, population: 1000}),
                  {message: /^prevalence rejected: it must be a proportion/, code: 0x60000001, codeName: 'QUORBEL_E_PREVALENCE',
                   argument: 'prevalence', option: '--prevalence', line: null, field: null,
                   toolMessage: /^--prevalence rejected: .*\(result code 0x60000001, QUORBEL_E_PREVALENCE/});
    assert.throws(() => quorbel.detect_evaluate({population: 1000, sample: 30, prevalence: 0.02, sensitivity: 0.95}),
                  {argument: 'specificity', code: null, status: 2});
    // Line 2, field 3 of the list: more positives than animals.
    assert.throws(() => quorbel.interval_two_stage({file: 'H1,10,2\nH7,5,6\n'}),
                  {argument: 'file', line: 2, field: 3, codeName: 'QUORBEL_E_CLUSTER_POSITIVES'});
  });

  test('warnings come with the answer, each with its kind', () => {
    const r = quorbel.sample_size_simple_random({prevalence: 0.3, precision: 0.1, population: 1000, confidence: 98});
    assert.deepEqual(r.warnings.map((w) => w.kind), ['level-at-1.96']);
    const blank = quorbel.interval_two_stage({file: 'H1,10,2\nH2,20,5\n\nH4,3,1\n'});
    assert.deepEqual(blank.warnings.map((w) => [w.kind, w.line]), [['lines-after-blank', 3]]);
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
    assert.throws(() => quorbel.interval_two_stage({file: semicolons}), {message: /^file rejected/});
    assert.throws(() => quorbel.select_pps({list: 'A;10\nB;20\nC;30\n', count: 1, seed: 1}), (error) => {
      assert.equal(error.codeName, 'QUORBEL_E_SIZED_LINE');
      assert.equal(error.line, 1);
      assert.match(error.warnings.map((w) => w.message).join('\n'),
                   /uses ';' but the list separator in effect is ',' \(the one chosen/);
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
