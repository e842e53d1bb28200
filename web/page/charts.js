// The pictures of the calculator, drawn with Chart.js from further calls of
// window.quorbel: the prevalence sample size against population size, the
// population sensitivity and specificity of a detection design against
// sample size, the intervals of a proportion side by side, the true
// prevalence against the apparent one, the probability of freedom over
// periods of surveillance, and a freedom design's sensitivity against its
// sample size (or pools), the posterior of the Bayesian true prevalence, a
// Beta prior, and the units a selection chose among the sizes of its list.
(function (root) {
  'use strict';
  const COLOURS = {blue: '#1f6f8b', orange: '#d9822b', green: '#3b8b3b', red: '#b3261e', grey: '#7a8896'};
  const MAX_POINTS = 160;
  let charts = [];

  function clear(container) {
    for (const chart of charts) chart.destroy();
    charts = [];
    container.textContent = '';
  }

  function figure(container, id, caption) {
    const canvas = document.createElement('canvas');
    canvas.id = id;
    canvas.setAttribute('role', 'img');
    canvas.setAttribute('aria-label', caption);
    const box = document.createElement('div');
    box.className = 'canvas-box';
    box.append(canvas);
    const node = document.createElement('figure');
    const text = document.createElement('figcaption');
    text.textContent = caption;
    node.append(box, text);
    container.append(node);
    return canvas;
  }

  function plot(container, id, caption, config) {
    const canvas = figure(container, id, caption);
    config.options = Object.assign({animation: false, responsive: true, maintainAspectRatio: false,
                                    interaction: {mode: 'nearest', intersect: false}}, config.options || {});
    charts.push(new Chart(canvas, config));
  }

  const axis = (title, extra) => Object.assign({type: 'linear', title: {display: true, text: title}}, extra || {});
  const line = (label, data, colour, extra) =>
    Object.assign({type: 'line', label, data, borderColor: colour, backgroundColor: colour, pointRadius: 0, borderWidth: 2}, extra || {});
  const marker = (label, points, colour) =>
    ({type: 'scatter', label, data: points, borderColor: colour, backgroundColor: colour, pointRadius: 7, pointStyle: 'rectRot'});

  // Whole numbers from `low` to `high`, at most MAX_POINTS of them, with
  // `keep` among them.
  function steps(low, high, keep) {
    const stride = Math.max(1, Math.ceil((high - low + 1) / MAX_POINTS));
    const values = [];
    for (let v = low; v <= high; v += stride) values.push(v);
    if (values[values.length - 1] !== high) values.push(high);
    for (const k of keep) if (k >= low && k <= high && !values.includes(k)) values.push(k);
    return values.sort((a, b) => a - b);
  }

  // Values of a call over a range, leaving out those the library rejects.
  function series(xs, call) {
    const points = [];
    for (const x of xs) {
      try {
        const y = call(x);
        if (y !== null && Number.isFinite(y)) points.push({x, y});
      } catch (error) { /* outside the function's domain: no point */ }
    }
    return points;
  }

  const number = (value, fallback) => {
    if (value === undefined || value === null || value === '') return fallback;
    const text = String(value).trim();
    if (text === 'infinite' || text === 'Infinity') return Infinity;
    const parsed = Number(text.replace(/%$/, ''));
    return text.endsWith('%') ? parsed / 100 : parsed;
  };

  // ------------------------------------------------------------ the ladder
  function ladder(container, args, result) {
    const points = result.ladder.map((row) => ({x: row.population, y: row.sampleSize}));
    const yours = [{x: result.population.size, y: result.population.sampleSize}];
    plot(container, 'chart-ladder', 'Animals to examine against the size of the population; your population marked, ' +
         'the infinite population as a dashed line.', {
      data: {datasets: [
        line('sample size', points, COLOURS.blue, {pointRadius: 3}),
        line('infinite population', [{x: points[0].x, y: result.infinitePopulation}, {x: Math.max(points[points.length - 1].x, yours[0].x), y: result.infinitePopulation}],
             COLOURS.grey, {borderDash: [6, 4], borderWidth: 1}),
        marker('your population', yours, COLOURS.orange)]},
      options: {scales: {x: axis('population (animals)', {type: 'logarithmic'}), y: axis('sample size (animals)', {beginAtZero: true})}},
    });
  }

  // ----------------------------------------------------- detection designs
  function detectionDesigns(command, args, result) {
    const designs = [];
    if (command.name === 'sample-size') {
      designs.push({label: 'design of the classic method', n: result.sampleSize, positiveAt: result.reactorCutOff + 1,
                    sensitivity: result.achieved.populationSensitivity, specificity: result.achieved.populationSpecificity});
    }
    const exact = command.name === 'exact' ? result : result.exact;
    if (exact && exact.reachable) {
      designs.push({label: 'exact design', n: exact.sampleSize, positiveAt: exact.positiveAt,
                    sensitivity: exact.populationSensitivity, specificity: exact.populationSpecificity});
    }
    if (command.name === 'evaluate') {
      designs.push({label: 'your design', n: number(args.sample), positiveAt: number(args.positive_at, 1),
                    sensitivity: result.populationSensitivity, specificity: result.populationSpecificity});
    }
    return designs;
  }

  function detection(container, command, args, result, quorbel) {
    const designs = detectionDesigns(command, args, result);
    if (!designs.length) return;
    const population = number(args.population);
    const largest = Math.max(...designs.map((d) => d.n));
    const high = Math.min(population, Math.max(20, Math.ceil(largest * 2)));
    const ns = steps(1, high, designs.map((d) => d.n));
    // The classic design's answer gives the test it used (two tests combined
    // into one); the other commands take one test.
    const common = {population: args.population, prevalence: args.prevalence,
                    sensitivity: result.sensitivity !== undefined ? result.sensitivity : args.sensitivity,
                    specificity: result.specificity !== undefined ? result.specificity
                               : args.specificity === undefined ? 1 : args.specificity};
    const cutOffs = [...new Set(designs.map((d) => d.positiveAt))];
    const datasets = [];
    cutOffs.forEach((positiveAt, i) => {
      const dash = i === 0 ? [] : [6, 4];
      const answers = new Map();
      const evaluate = (n) => {
        if (n < positiveAt) return null;
        if (!answers.has(n)) answers.set(n, quorbel.detect_evaluate(Object.assign({sample: n, positive_at: positiveAt}, common)));
        return answers.get(n);
      };
      datasets.push(line('population sensitivity, positive at ' + positiveAt, series(ns, (n) => evaluate(n) && evaluate(n).populationSensitivity), COLOURS.blue, {borderDash: dash}));
      datasets.push(line('population specificity, positive at ' + positiveAt, series(ns, (n) => evaluate(n) && evaluate(n).populationSpecificity), COLOURS.green, {borderDash: dash}));
    });
    const level = number(args.confidence, 95);
    const target = level > 1 ? level / 100 : level;
    datasets.push(line('target confidence ' + target, [{x: 1, y: target}, {x: high, y: target}], COLOURS.red, {borderDash: [2, 3], borderWidth: 1.5}));
    const colours = [COLOURS.orange, '#6a3d9a', COLOURS.grey];
    designs.forEach((d, i) => datasets.push(marker(d.label + ': ' + d.n + ' animals, positive at ' + d.positiveAt,
                                                   [{x: d.n, y: d.sensitivity}], colours[i % colours.length])));
    plot(container, 'chart-detection', 'Population sensitivity and specificity against the number of animals tested, ' +
         'for each reactor cut-off of the designs; the designs marked, the target confidence as a red line. ' +
         'A design below the line falls short.', {
      data: {datasets},
      options: {scales: {x: axis('animals tested'), y: axis('probability', {min: 0, max: 1})}},
    });
  }

  // ----------------------------------------------- intervals of a proportion
  const METHODS = [['wald', 'Wald'], ['wilson', 'Wilson'], ['clopperPearson', 'Clopper-Pearson'],
                   ['jeffreys', 'Jeffreys'], ['agrestiCoull', 'Agresti-Coull'], ['blaker', 'Blaker'], ['sterne', 'Sterne']];

  function intervals(container, args, result) {
    const shown = METHODS.filter(([key]) => result[key]);
    plot(container, 'chart-intervals', 'The interval of each method side by side; the observed proportion as a line.', {
      type: 'bar',
      data: {labels: shown.map(([, label]) => label), datasets: [
        {type: 'bar', label: 'interval', data: shown.map(([key]) => [result[key].lower, result[key].upper]),
         backgroundColor: 'rgba(31, 111, 139, 0.55)', borderColor: COLOURS.blue, borderWidth: 1, borderSkipped: false},
        {type: 'line', label: 'observed proportion ' + result.proportion, data: shown.map(() => result.proportion),
         borderColor: COLOURS.orange, backgroundColor: COLOURS.orange, pointRadius: 0, borderWidth: 2}]},
      options: {indexAxis: 'y', scales: {x: axis('proportion', {min: 0}), y: {type: 'category'}}},
    });
  }

  // ------------------------------------------------ true against apparent
  function truePrevalence(container, args, result, quorbel) {
    const test = {sensitivity: args.sensitivity, specificity: args.specificity};
    const datasets = [];
    if (args.tested !== undefined && args.positives !== undefined && 'estimate' in result) {
      const tested = number(args.tested);
      const positives = number(args.positives);
      const ks = steps(0, tested, [positives]);
      const answers = new Map(ks.map((k) => {
        try {
          return [k, quorbel.prevalence_true(Object.assign({positives: k, tested: args.tested, confidence: args.confidence}, test))];
        } catch (error) {
          return [k, null];
        }
      }));
      const at = (field) => series(ks, (k) => answers.get(k) && field(answers.get(k))).map((p) => ({x: p.x / tested, y: p.y}));
      datasets.push(line('true prevalence', at((a) => a.estimate), COLOURS.blue));
      datasets.push(line('Clopper-Pearson limits', at((a) => a.clopperPearson.lower), COLOURS.grey, {borderDash: [5, 3], borderWidth: 1.5}));
      datasets.push(line('', at((a) => a.clopperPearson.upper), COLOURS.grey, {borderDash: [5, 3], borderWidth: 1.5}));
      datasets.push(marker('your sample: ' + positives + ' of ' + tested, [{x: result.apparent, y: result.estimate}], COLOURS.orange));
    } else {
      const apparent = number(args.apparent);
      const xs = steps(1, 100, []).map((k) => k / 100);
      const curve = series(xs, (x) => quorbel.prevalence_true(Object.assign({apparent: x}, test)).truePrevalence);
      datasets.push(line('true prevalence', curve, COLOURS.blue));
      datasets.push(marker('your apparent prevalence', [{x: apparent, y: result.truePrevalence}], COLOURS.orange));
    }
    plot(container, 'chart-true-prevalence', 'The true prevalence behind each apparent prevalence for this test, ' +
         'with its limits; your result marked.', {
      data: {datasets},
      options: {scales: {x: axis('apparent prevalence', {min: 0, max: 1}), y: axis('true prevalence', {min: 0, max: 1})},
                plugins: {legend: {labels: {filter: (item) => item.text !== ''}}}},
    });
  }

  // --------------------------------------------- probability of freedom
  function freedomProbability(container, result) {
    const periods = result.periods;
    const last = periods.length;
    const datasets = [
      line('probability free after the period', periods.map((p) => ({x: p.period, y: p.probability})), COLOURS.blue, {pointRadius: 3}),
      line('prior at the start of the period', periods.map((p) => ({x: p.period, y: p.prior})), COLOURS.grey, {pointRadius: 2, borderWidth: 1.5}),
      line('equilibrium ' + result.equilibrium, [{x: 1, y: result.equilibrium}, {x: Math.max(2, last), y: result.equilibrium}],
           COLOURS.red, {borderDash: [6, 4], borderWidth: 1.5})];
    plot(container, 'chart-freedom-probability', 'The probability of freedom after each period of negative surveillance, ' +
         'and the prior each period starts from; the equilibrium, were the last sensitivity to go on, as a dashed line.', {
      data: {datasets},
      options: {scales: {x: axis('period', {ticks: {stepSize: 1}}), y: axis('probability', {min: 0, max: 1})}},
    });
  }

  // ------------------------------------- sensitivity against sample size
  // "RR:SHARE:UNITS[:SE],..." as records of numbers.
  const groupsOf = (text) => String(text).split(',').map((record) => record.split(':').map(Number));

  // A total n split by the allocations (normalised) by largest remainders,
  // ties to the earlier group: the split the sample-size search tests.
  function split(n, allocations) {
    const sum = allocations.reduce((a, b) => a + b, 0);
    const exact = allocations.map((a) => n * (a / sum));
    const units = exact.map(Math.floor);
    const order = exact.map((e, g) => [e - units[g], g]).sort((a, b) => b[0] - a[0] || a[1] - b[1]);
    for (let k = 0, left = n - units.reduce((a, b) => a + b, 0); k < left; ++k) units[order[k][1]] += 1;
    return units;
  }

  // The sensitivity of `n` units (or pools) in the form of the answer.
  function freedomSensitivityAt(form, args, n, quorbel) {
    const common = {prevalence: args.prevalence};
    if (form === 'pooled') {
      return quorbel.freedom_sensitivity(Object.assign(common, {pools: n, pool_size: args.pool_size,
        sensitivity: args.sensitivity, specificity: args.specificity})).sensitivity;
    }
    if (form === 'risk-based') {
      const groups = groupsOf(args.risk_groups);
      const units = split(n, groups.map((g) => g[2]));
      const text = groups.map((g, i) => [g[0], g[1], units[i]].concat(g.length > 3 ? [g[3]] : []).join(':')).join(',');
      return quorbel.freedom_sensitivity(Object.assign(common, {risk_groups: text, sensitivity: args.sensitivity})).sensitivity;
    }
    return quorbel.freedom_sensitivity(Object.assign(common, {sample: n, population: args.population,
      sensitivity: args.sensitivity})).sensitivity;
  }

  function freedomDesign(container, command, args, result, quorbel) {
    const form = result.form;
    const pooled = form === 'pooled';
    const size = command.name === 'sample-size' ? (pooled ? result.pools : result.sampleSize)
               : pooled ? number(args.pools) : form === 'risk-based' ? null : number(args.sample);
    if (command.name === 'sensitivity' && form === 'risk-based') return;  // groups of fixed units: no total to vary
    if (!size) return;
    const population = number(args.population, Infinity);
    const high = Math.min(population, Math.max(10, Math.ceil(size * 2)));
    const xs = steps(1, high, [size]);
    const unit = pooled ? 'pools' : 'units';
    const datasets = [
      line('population sensitivity', series(xs, (n) => freedomSensitivityAt(form, args, n, quorbel)), COLOURS.blue),
      marker('this design: ' + size + ' ' + unit, [{x: size, y: result.sensitivity}], COLOURS.orange)];
    // A sample size has a target: --target, or the sensitivity a probability target needs.
    if (command.name === 'sample-size') {
      const target = result.sensitivityNeeded !== undefined ? result.sensitivityNeeded : number(args.target, 0.95);
      datasets.push(line('target ' + target, [{x: 1, y: target}, {x: high, y: target}], COLOURS.red, {borderDash: [2, 3], borderWidth: 1.5}));
    }
    plot(container, 'chart-freedom-design', 'Population sensitivity against the number of ' + unit + ' tested (' + form +
         ' design)' + (command.name === 'sample-size' ? '; the target as a red line' : '') + ', this design marked.', {
      data: {datasets},
      options: {scales: {x: axis(unit + ' tested'), y: axis('population sensitivity', {min: 0, max: 1})}},
    });
  }

  // ------------------------------------------------- Beta densities
  // log Gamma by Lanczos (g = 7, n = 9), for drawing densities only.
  const LANCZOS = [0.99999999999980993, 676.5203681218851, -1259.1392167224028, 771.32342877765313,
                   -176.61502916214059, 12.507343278686905, -0.13857109526572012, 9.9843695780195716e-6,
                   1.5056327351493116e-7];
  function logGamma(z) {
    if (z < 0.5) return Math.log(Math.PI / Math.abs(Math.sin(Math.PI * z))) - logGamma(1 - z);
    z -= 1;
    let sum = LANCZOS[0];
    for (let i = 1; i < 9; ++i) sum += LANCZOS[i] / (z + i);
    const t = z + 7.5;
    return 0.5 * Math.log(2 * Math.PI) + (z + 0.5) * Math.log(t) - t + Math.log(sum);
  }
  function betaDensity(x, a, b) {
    if (x <= 0 || x >= 1) return null;
    return Math.exp((a - 1) * Math.log(x) + (b - 1) * Math.log1p(-x) + logGamma(a + b) - logGamma(a) - logGamma(b));
  }
  const shapesOf = (text, fallback) => (text ? String(text) : fallback).split(',').map(Number);

  // -------------------------------------------- the Bayesian posterior
  // The density as differences of the posterior's P(p > t), which the
  // library gives for any threshold t.
  function bayesPosterior(container, args, result, quorbel) {
    const high = Math.min(1, result.upper + (result.upper - result.lower));
    const count = 60;
    const ts = Array.from({length: count + 1}, (_, i) => (high * i) / count);
    const call = Object.assign({}, args);
    const above = ts.map((t) => quorbel.prevalence_bayes(Object.assign(call, {threshold: t})).probabilityAbove);
    const density = [];
    for (let i = 0; i < count; ++i)
      density.push({x: (ts[i] + ts[i + 1]) / 2, y: Math.max(0, (above[i] - above[i + 1]) / (ts[i + 1] - ts[i]))});
    const inside = density.filter((p) => p.x >= result.lower && p.x <= result.upper);
    const [a, b] = shapesOf(args.prevalence_prior, '1,1');
    const prior = series(ts.filter((t) => t > 0 && t < 1), (t) => betaDensity(t, a, b));
    const level = number(args.confidence, 95);
    plot(container, 'chart-bayes-posterior', 'The posterior density of the true prevalence, its ' + level +
         ' % credible interval shaded; the prior drawn faintly.', {
      data: {datasets: [
        line('posterior density', density, COLOURS.blue),
        line(level + ' % credible interval ' + result.lower.toPrecision(4) + ' to ' + result.upper.toPrecision(4), inside,
             COLOURS.blue, {fill: 'origin', backgroundColor: 'rgba(31, 111, 139, 0.25)', borderWidth: 0}),
        line('prior Beta(' + a + ', ' + b + ')', prior, 'rgba(122, 136, 150, 0.6)', {borderDash: [4, 4], borderWidth: 1.5}),
        marker('posterior median ' + result.median.toPrecision(4), [{x: result.median, y: 0}], COLOURS.orange)]},
      options: {scales: {x: axis('true prevalence', {min: 0, max: high}), y: axis('density', {beginAtZero: true})}},
    });
  }

  // ------------------------------------------------------ a Beta prior
  function betaPrior(container, args, result) {
    const xs = steps(1, 199, []).map((k) => k / 200);
    const mode = number(args.mode);
    const atLeast = args.at_least !== undefined && args.at_least !== '';
    const limit = number(atLeast ? args.at_least : args.at_most);
    const curve = series(xs, (x) => betaDensity(x, result.a, result.b));
    const stated = curve.filter((p) => (atLeast ? p.x >= limit : p.x <= limit));
    const top = Math.max(...curve.map((p) => p.y));
    plot(container, 'chart-beta-prior', 'The Beta prior: its mode marked, and the ' + number(args.certainty, 95) +
         ' % of its mass ' + (atLeast ? 'above ' : 'below ') + limit + ' shaded.', {
      data: {datasets: [
        line('Beta(' + result.a.toPrecision(5) + ', ' + result.b.toPrecision(5) + ')', curve, COLOURS.blue),
        line((atLeast ? 'at least ' : 'at most ') + limit, stated, COLOURS.blue,
             {fill: 'origin', backgroundColor: 'rgba(31, 111, 139, 0.25)', borderWidth: 0}),
        line('mode ' + mode, [{x: mode, y: 0}, {x: mode, y: top}], COLOURS.orange, {borderDash: [6, 4], borderWidth: 1.5}),
        line('limit ' + limit, [{x: limit, y: 0}, {x: limit, y: top}], COLOURS.red, {borderDash: [2, 3], borderWidth: 1.5})]},
      options: {scales: {x: axis('value', {min: 0, max: 1}), y: axis('density', {beginAtZero: true})}},
    });
  }

  // ------------------------------------------------- a selection's units
  // The list's units as bars of their sizes, those chosen coloured and the
  // certainty units (inclusion probability 1) marked; a long list shows the
  // chosen units alone.
  const MAX_BARS = 300;
  function selection(container, args, result) {
    const separator = args.separator || ',';
    const text = args.list && args.list.text !== undefined ? args.list.text : '';
    const listed = text.split(/\r?\n/).filter((line) => line !== '').map((line) => {
      const cut = line.indexOf(separator);
      return {name: cut < 0 ? line : line.slice(0, cut), size: Number(cut < 0 ? NaN : line.slice(cut + 1))};
    });
    const chosen = new Map(result.units.map((u) => [u.name, u]));
    const units = listed.length && listed.length <= MAX_BARS && listed.every((u) => Number.isFinite(u.size))
      ? listed : result.units.map((u) => ({name: u.name, size: u.size}));
    const colour = (u) => !chosen.has(u.name) ? 'rgba(122, 136, 150, 0.45)'
      : chosen.get(u.name).inclusionProbability === 1 ? COLOURS.orange : COLOURS.blue;
    plot(container, 'chart-selection', 'The units of the list by size: chosen units in blue, certainty units ' +
         '(inclusion probability 1) in orange, the others grey.', {
      type: 'bar',
      data: {labels: units.map((u) => u.name), datasets: [
        {type: 'bar', label: result.written + ' chosen of ' + units.length + ' (' + result.certaintyUnits + ' certain)',
         data: units.map((u) => u.size), backgroundColor: units.map(colour), borderWidth: 0}]},
      options: {scales: {x: {type: 'category', ticks: {autoSkip: true, maxRotation: 60}}, y: axis('size', {beginAtZero: true})}},
    });
  }

  function draw(container, command, args, result, quorbel) {
    clear(container);
    if (typeof Chart === 'undefined') return;
    const key = command.family + '/' + command.name;
    if (key === 'sample-size/simple-random') ladder(container, args, result);
    else if (key === 'detect/sample-size' || key === 'detect/exact' || key === 'detect/evaluate') detection(container, command, args, result, quorbel);
    else if (key === 'interval/proportion') intervals(container, args, result);
    else if (key === 'prevalence/true') truePrevalence(container, args, result, quorbel);
    else if (key === 'freedom/probability') freedomProbability(container, result);
    else if (key === 'prevalence/bayes') bayesPosterior(container, args, result, quorbel);
    else if (key === 'prior/beta') betaPrior(container, args, result);
    else if ((key === 'select/pps' || key === 'select/systematic') && result.certaintyUnits !== undefined) selection(container, args, result);
    else if (key === 'freedom/sample-size' || key === 'freedom/sensitivity') freedomDesign(container, command, args, result, quorbel);
  }

  root.QuorbelCharts = {draw, clear};
})(this);
