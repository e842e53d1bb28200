// window.quorbel: every command of the quorbel tool as a synchronous
// function over the WebAssembly module, named and answering as the R and
// Python packages do:
//
//   await quorbel.ready;
//   quorbel.detect_evaluate({population: 1000, sample: 30, prevalence: 0.02,
//                            sensitivity: 0.95, specificity: 1, positive_at: 1});
//
// A function is named <first word>_<second word> of its command, dashes as
// underscores; its options are the command's, dashes as underscores; it
// returns what `quorbel ... --json` prints, as an object, with its
// `settings` and `warnings` ({kind, message, line}). An infinite population
// is Infinity. A rejected argument throws an Error whose message names the
// argument as these functions do (positive_at, list), with the fields
// `code`, `codeName`, `argument`, `option` (as the tool spells it:
// "--positive-at", "LIST"), `allowed`, `line` and `field` (null where they
// do not apply), `toolMessage` (as the tool prints it) and `warnings`.
//
// Commands that read a list take it as `list` or `file`: the text itself, a
// Uint8Array, {name, text} or {name, bytes}. `separator` (',' by default, or
// ';') splits its lines, since a page has no user locale to choose it.
// Commands that write a file take its name as `out` (default "chosen.txt");
// the text written is the answer's non-enumerable property `output`.
// The answer's CSV, as `quorbel ... --csv` prints it, is quorbel.csv(answer).
//
// In node: require('./quorbel-api.js')(require('./quorbel.js')).
(function (root, define) {
  if (typeof module === 'object' && module.exports) module.exports = define;
  else root.createQuorbel = define;
})(this, function createQuorbel(moduleFactory) {
  'use strict';
  const SCRATCH = '/scratch';
  const api = {};
  let module = null;
  const csvOf = new WeakMap();

  function word(value) {
    if (value === Infinity) return 'infinite';
    if (typeof value === 'boolean') return value ? 'true' : 'false';
    return String(value);
  }

  function runWords(words, separator) {
    if (words.some((w) => w.includes('\n'))) throw new Error('a value may not hold a line break');
    const reply = JSON.parse(module.ccall('quorbel_web_run', 'string', ['string', 'number'],
                                          [words.join('\n'), separator.charCodeAt(0)]));
    if (reply.status !== 0) {
      const error = new Error(reply.error.message);
      for (const field of ['code', 'codeName', 'argument', 'option', 'allowed', 'line', 'field', 'toolMessage'])
        error[field] = reply.error[field] === undefined ? null : reply.error[field];
      error.status = reply.status;
      error.warnings = reply.warnings || [];
      throw error;
    }
    csvOf.set(reply.answer, reply.csv);
    return reply.answer;
  }

  function hidden(object, name, value) {
    Object.defineProperty(object, name, {value, enumerable: false});
  }

  // A list argument becomes a file of the scratch folder; its name is the
  // one the tool's answer shows.
  function writeList(value, fallbackName) {
    let name = fallbackName;
    let content = value;
    if (value && typeof value === 'object' && !(value instanceof Uint8Array)) {
      name = value.name || fallbackName;
      content = value.text !== undefined ? value.text : value.bytes;
    }
    if (typeof content !== 'string' && !(content instanceof Uint8Array))
      throw new TypeError('a list is its text, a Uint8Array, {name, text} or {name, bytes}');
    name = String(name).replace(/[\\/\n]/g, '_');
    module.FS.writeFile(SCRATCH + '/' + name, content);
    return name;
  }

  function clearScratch() {
    for (const entry of module.FS.readdir(SCRATCH))
      if (entry !== '.' && entry !== '..') module.FS.unlink(SCRATCH + '/' + entry);
  }

  function makeFunction(command) {
    const functionName = command.function;
    const keys = new Map(command.options.map((o) => [o.argument, o]));
    const files = command.positionals.map((p) => p.toLowerCase());
    const fn = function (options) {
      options = options || {};
      for (const key of Object.keys(options))
        if (!keys.has(key) && !files.includes(key) && key !== 'separator')
          throw new TypeError(functionName + ' got an unknown argument: ' + key);
      const separator = options.separator === undefined ? ',' : options.separator;
      if (separator !== ',' && separator !== ';') throw new TypeError("separator must be ',' or ';'");
      const words = [command.family, command.name];
      let outName = null;
      clearScratch();
      try {
        for (const file of files) {
          if (file === 'out') {
            outName = String(options.out === undefined ? 'chosen.txt' : options.out).replace(/[\\/\n]/g, '_');
            words.push(outName);
          } else if (options[file] !== undefined) {
            words.push(writeList(options[file], file + '.txt'));
          }
        }
        for (const [key, option] of keys) {
          const value = options[key];
          if (value === undefined || value === null || value === '') continue;
          if (option.kind === 'flag') {
            if (value) words.push(option.name);
          } else {
            words.push(option.name, word(value));
          }
        }
        const result = runWords(words, separator);
        if (outName !== null && module.FS.analyzePath(SCRATCH + '/' + outName).exists)
          hidden(result, 'output', module.FS.readFile(SCRATCH + '/' + outName, {encoding: 'utf8'}));
        return result;
      } finally {
        clearScratch();
      }
    };
    Object.defineProperty(fn, 'name', {value: functionName});
    fn.command = command;
    return [functionName, fn];
  }

  api.ready = moduleFactory({print: () => {}, printErr: () => {}}).then((loaded) => {
    module = loaded;
    module.FS.mkdir(SCRATCH);
    module.FS.chdir(SCRATCH);
    const table = JSON.parse(module.ccall('quorbel_web_commands', 'string', [], []));
    for (const command of table) {
      const [name, fn] = makeFunction(command);
      api[name] = fn;
    }
    api.commands = () => table;
    api.version = module.ccall('quorbel_web_version', 'string', [], []);
    // The CSV table of an answer, as `quorbel ... --csv` prints it.
    api.csv = (result) => csvOf.get(result) || '';
    return api;
  });
  return api;
});
