// The calculator page: one form per command of the quorbel tool, grouped by
// the question it answers, built from the command table of window.quorbel
// and calculated through it as the user types. The inputs live in the
// address (#family/name?option=value&...), so a link repeats a calculation.
(function () {
  'use strict';
  const quorbel = (window.quorbel = createQuorbel(QuorbelModule));

  // What a person calls each option, with its unit.
  const state = {command: null, lists: {}, timer: null};
  const $ = (selector) => document.querySelector(selector);

  function element(tag, attributes, ...children) {
    const node = document.createElement(tag);
    for (const [key, value] of Object.entries(attributes || {})) {
      if (value === null || value === undefined || value === false) continue;
      if (key === 'text') node.textContent = value;
      else node.setAttribute(key, value === true ? '' : value);
    }
    for (const child of children) if (child) node.append(child);
    return node;
  }

  const commandKey = (command) => command.family + '/' + command.name;
  const fieldId = (name) => 'field-' + name.replace(/^--/, '').toLowerCase();
  const isFlag = (option) => option.kind === 'flag';

  // ------------------------------------------------------------- navigation
  function buildNavigation(table) {
    const nav = $('#commands');
    nav.textContent = '';
    const groups = [];
    for (const command of table) if (!groups.includes(command.group)) groups.push(command.group);
    for (const group of groups) {
      const id = 'group-' + group.toLowerCase().replace(/\W+/g, '-');
      nav.append(element('h2', {id, text: group}));
      const list = element('ul', {'aria-labelledby': id});
      for (const command of table.filter((c) => c.group === group)) {
        const link = element('a', {href: '#' + commandKey(command)}, command.family + ' ' + command.name,
                             element('small', {text: command.question}));
        list.append(element('li', {}, link));
      }
      nav.append(list);
    }
  }

  // --------------------------------------------------------------- the form
  // The worked example of the tool's help: the values a form opens with.
  function exampleValues(command) {
    const values = {};
    const words = command.example || [];
    for (let i = 2; i < words.length; ++i) {
      if (!words[i].startsWith('--')) continue;
      values[words[i]] = words[i + 1];
      ++i;
    }
    return values;
  }

  function buildField(option, value) {
    const {label, unit} = option;
    const id = fieldId(option.name);
    const hint = option.allowed + (option.default ? ' (default ' + option.default + ')' : option.optional ? ' (optional)' : '');
    const input = element('input', {id, name: option.name, type: 'text', value: value || '',
                                    placeholder: option.default || '', 'aria-describedby': id + '-hint ' + id + '-error',
                                    inputmode: option.kind === 'records' || /seed/.test(option.name) ? null : 'decimal',
                                    spellcheck: 'false'});
    return element('div', {class: 'field'},
                   element('label', {for: id}, label + ' ', unit ? element('span', {class: 'unit', text: '(' + unit + ')'}) : null),
                   input,
                   element('p', {class: 'hint', id: id + '-hint', text: hint}),
                   element('p', {class: 'error', id: id + '-error', hidden: true}));
  }

  function buildFileField(positional, command) {
    const {label, unit} = command.files.find((file) => file.name === positional);
    const id = fieldId(positional);
    if (positional === 'OUT') {
      return element('div', {class: 'field'},
                     element('label', {for: id}, label + ' ', element('span', {class: 'unit', text: '(' + unit + ')'})),
                     element('input', {id, name: positional, type: 'text', value: 'chosen.txt', 'aria-describedby': id + '-error'}),
                     element('p', {class: 'error', id: id + '-error', hidden: true}));
    }
    const example = (command.exampleList || []).join('\n');
    const current = state.lists[commandKey(command)];
    const chosen = element('p', {class: 'hint', id: id + '-hint',
                                 text: current ? 'Using ' + current.name : 'Using the example list (' + example.split('\n').length + ' lines) until you choose a file'});
    return element('div', {class: 'field'},
                   element('label', {for: id}, label + ' ', element('span', {class: 'unit', text: '(' + unit + ')'})),
                   element('input', {id, name: positional, type: 'file', accept: '.txt,.csv,text/plain', 'aria-describedby': id + '-hint ' + id + '-error'}),
                   chosen,
                   element('p', {class: 'error', id: id + '-error', hidden: true}));
  }

  function buildSeparatorField(value) {
    const select = element('select', {id: 'field-separator', name: 'separator', 'aria-describedby': 'field-separator-hint'},
                           element('option', {value: ',', text: 'comma ( , )'}),
                           element('option', {value: ';', text: 'semicolon ( ; )'}));
    select.value = value === ';' ? ';' : ',';
    return element('div', {class: 'field'},
                   element('label', {for: 'field-separator'}, 'List separator'),
                   select,
                   element('p', {class: 'hint', id: 'field-separator-hint',
                                 text: 'What splits the fields of a line: a Spanish Windows writes ";", others ","'}));
  }

  function buildForm(command, values) {
    const form = $('#form');
    form.textContent = '';
    form.append(element('h2', {text: command.question || command.summary}),
                element('p', {class: 'summary', text: 'quorbel ' + command.family + ' ' + command.name + ': ' + command.summary}));
    const fields = element('div', {class: 'fields'});
    for (const positional of command.positionals) fields.append(buildFileField(positional, command));
    if (command.positionals.length) fields.append(buildSeparatorField(values.separator));
    for (const option of command.options) {
      if (isFlag(option)) continue;  // the page always replaces its own result file
      if (option.name === '--separator') continue;  // the page's own field above gives it
      fields.append(buildField(option, values[option.name]));
    }
    form.append(fields, element('p', {class: 'general-error', id: 'form-error', role: 'alert', hidden: true}));
    // The tool's notes, but a page takes the separator from its own field.
    const notes = command.notes.replace(
        /the list separator of the user's locale \(';' for Spanish, ',' otherwise\)( or the one --separator names)?/,
        'the list separator chosen here');
    if (notes) form.append(element('p', {class: 'notes', text: notes}));
  }

  // ------------------------------------------------------------ the address
  function readAddress() {
    const hash = decodeURIComponent(location.hash.slice(1));
    const [key, query] = hash.split('?');
    const values = {};
    for (const [name, value] of new URLSearchParams(query || '')) values[name === 'separator' ? name : '--' + name] = value;
    return {key, values};
  }

  function writeAddress(command, values) {
    const query = new URLSearchParams();
    for (const [name, value] of Object.entries(values)) if (value !== '') query.set(name.replace(/^--/, ''), value);
    const text = '#' + commandKey(command) + (query.toString() ? '?' + query.toString() : '');
    if (location.hash !== text) history.replaceState(null, '', text);
  }

  function formValues(command) {
    const values = {};
    for (const option of command.options) {
      const input = document.getElementById(fieldId(option.name));
      if (input && input.value.trim() !== '') values[option.name] = input.value.trim();
    }
    const separator = document.getElementById('field-separator');
    if (separator) values.separator = separator.value;
    return values;
  }

  // ------------------------------------------------------------ calculating
  function clearErrors() {
    for (const node of document.querySelectorAll('.field .error, #form-error')) {
      node.hidden = true;
      node.textContent = '';
    }
    for (const node of document.querySelectorAll('[aria-invalid]')) node.removeAttribute('aria-invalid');
  }

  // The error names the option it is about (error.option, as the tool spells
  // it); the tool's message goes beside that field, or above the form.
  function showError(command, error) {
    const message = error.toolMessage || error.message;
    const names = command.options.map((o) => o.name).concat(command.positionals);
    if (error.option && names.includes(error.option)) {
      const id = fieldId(error.option);
      const input = document.getElementById(id);
      const slot = document.getElementById(id + '-error');
      if (input && slot) {
        input.setAttribute('aria-invalid', 'true');
        slot.textContent = message;
        slot.hidden = false;
        return;
      }
    }
    const general = $('#form-error');
    general.textContent = message;
    general.hidden = false;
  }

  function callArguments(command, values) {
    const args = {};
    for (const option of command.options) {
      if (values[option.name] !== undefined) args[option.argument] = values[option.name];
    }
    for (const positional of command.positionals) {
      if (positional === 'OUT') {
        const out = document.getElementById(fieldId('OUT'));
        args.out = out && out.value.trim() ? out.value.trim() : 'chosen.txt';
      } else {
        const list = state.lists[commandKey(command)];
        args[positional.toLowerCase()] = list || {name: 'example.txt', text: (command.exampleList || []).join('\n') + '\n'};
      }
    }
    if (command.positionals.length) args.separator = values.separator || ',';
    return args;
  }

  function calculate() {
    const command = state.command;
    const values = formValues(command);
    writeAddress(command, values);
    clearErrors();
    const args = callArguments(command, values);
    let result;
    try {
      result = quorbel[command.function](args);
    } catch (error) {
      showError(command, error);
      $('#results').textContent = '';
      for (const warning of error.warnings || [])
        $('#results').append(element('p', {class: 'warning', text: 'Warning: ' + warning.message}));
      QuorbelCharts.clear($('#charts'));
      return;
    }
    QuorbelResults.render($('#results'), command, args, result, quorbel);
    QuorbelCharts.draw($('#charts'), command, args, result, quorbel);
  }

  function scheduleCalculation() {
    clearTimeout(state.timer);
    state.timer = setTimeout(calculate, 120);
  }

  function readChosenFile(input) {
    const file = input.files && input.files[0];
    if (!file) return;
    file.arrayBuffer().then((buffer) => {
      state.lists[commandKey(state.command)] = {name: file.name, bytes: new Uint8Array(buffer)};
      const hint = document.getElementById(input.id + '-hint');
      if (hint) hint.textContent = 'Using ' + file.name + ' (' + file.size + ' bytes)';
      calculate();
    });
  }

  // --------------------------------------------------------------- routing
  function route() {
    const table = quorbel.commands();
    const {key, values} = readAddress();
    const command = table.find((c) => commandKey(c) === key) || table[0];
    const fresh = state.command !== command;
    state.command = command;
    for (const link of document.querySelectorAll('#commands a'))
      link.toggleAttribute('aria-current', link.getAttribute('href') === '#' + commandKey(command));
    for (const link of document.querySelectorAll('#commands a[aria-current]')) link.setAttribute('aria-current', 'page');
    const hasValues = Object.keys(values).length > 0;
    if (fresh || hasValues) buildForm(command, hasValues ? values : exampleValues(command));
    calculate();
  }

  function start() {
    buildNavigation(quorbel.commands());
    $('#version').textContent = `Quorbel ${quorbel.version}, compiled to WebAssembly from the library's own sources. ` +
      'Works offline. MIT licence; the code of others it carries: THIRD-PARTY-NOTICES beside this page.';
    const form = $('#form');
    form.addEventListener('input', (event) => {
      if (event.target.type !== 'file') scheduleCalculation();
    });
    form.addEventListener('change', (event) => {
      if (event.target.type === 'file') readChosenFile(event.target);
      else if (event.target.tagName === 'SELECT') calculate();
    });
    form.addEventListener('submit', (event) => {
      event.preventDefault();
      calculate();
    });
    $('#commands').addEventListener('click', (event) => {
      const link = event.target.closest('a');
      if (!link) return;
      event.preventDefault();
      history.pushState(null, '', link.getAttribute('href'));
      route();
      $('#calculator').focus();
    });
    window.addEventListener('hashchange', route);
    window.addEventListener('popstate', route);
    route();
  }

  quorbel.ready.then(start, (error) => {
    $('#commands').textContent = 'The calculator could not start: ' + error;
  });
})();
