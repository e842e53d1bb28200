// The answer of a calculation as tables: its single values, its intervals
// and its arrays of rows, with the tool's command line that gives the same
// answer, the warnings the tool would print, and CSV to copy or download.
(function (root) {
  'use strict';

  function element(tag, attributes, ...children) {
    const node = document.createElement(tag);
    for (const [key, value] of Object.entries(attributes || {})) {
      if (key === 'text') node.textContent = value;
      else node.setAttribute(key, value);
    }
    for (const child of children) if (child !== null && child !== undefined) node.append(child);
    return node;
  }

  // "populationSensitivity" -> "population sensitivity"
  const words = (key) => key.replace(/([a-z])([A-Z])/g, '$1 $2').toLowerCase();

  function text(value) {
    if (Array.isArray(value)) return value.map(text).join(', ');
    if (typeof value === 'boolean') return value ? 'yes' : 'no';
    return String(value);
  }

  const isInterval = (value) => value && typeof value === 'object' && !Array.isArray(value) &&
      Object.keys(value).length === 2 && 'lower' in value && 'upper' in value;

  // Splits an answer into single values (nested objects flattened to
  // "exact herd reachable"), intervals, and arrays of row objects.
  function split(result, prefix, parts) {
    for (const [key, value] of Object.entries(result)) {
      if (!prefix && (key === 'settings' || key === 'warnings')) continue;  // shown on their own
      const name = prefix ? prefix + ' ' + words(key) : words(key);
      if (isInterval(value)) parts.intervals.push([name, value]);
      else if (Array.isArray(value) && value.length && typeof value[0] === 'object') parts.tables.push([name, value]);
      else if (value && typeof value === 'object' && !Array.isArray(value)) split(value, name, parts);
      else parts.values.push([name, value]);
    }
    return parts;
  }

  function table(header, rows, caption) {
    const head = element('tr', {}, ...header.map((cell) => element('th', {scope: 'col', text: cell})));
    const body = rows.map((row) => element('tr', {}, ...row.map((cell, i) =>
      i === 0 ? element('th', {scope: 'row', text: text(cell)}) : element('td', {text: text(cell)}))));
    return element('div', {class: 'scroll'},
                   element('table', {}, caption ? element('caption', {text: caption}) : null,
                           element('thead', {}, head), element('tbody', {}, ...body)));
  }

  function commandLine(command, args) {
    const parts = ['quorbel', command.family, command.name];
    for (const positional of command.positionals) {
      const value = args[positional.toLowerCase()];
      parts.push(positional === 'OUT' ? value : (value && value.name) || positional);
    }
    for (const option of command.options) {
      const value = args[option.argument];
      if (value !== undefined) parts.push(option.name, /\s/.test(value) ? "'" + value + "'" : String(value));
    }
    return parts.join(' ');
  }

  function download(name, content, type) {
    const link = element('a', {class: 'button', download: name, text: 'Download ' + name});
    link.href = URL.createObjectURL(new Blob([content], {type}));
    return link;
  }

  function copyButton(csv) {
    const button = element('button', {type: 'button', text: 'Copy as CSV'});
    button.addEventListener('click', () => {
      const done = () => { button.textContent = 'Copied'; setTimeout(() => { button.textContent = 'Copy as CSV'; }, 1500); };
      const fallback = () => {
        const area = element('textarea', {'aria-hidden': 'true'});
        area.value = csv;
        document.body.append(area);
        area.select();
        document.execCommand('copy');
        area.remove();
        done();
      };
      if (navigator.clipboard && window.isSecureContext) navigator.clipboard.writeText(csv).then(done, fallback);
      else fallback();
    });
    return button;
  }

  // "confidence 95 (default 95), z = 1.96": the values in effect that have
  // defaults, and the normal quantile used.
  function settingsText(settings) {
    const parts = Object.keys(settings.defaults || {}).filter((k) => k in settings)
        .map((k) => words(k.replace(/_/g, ' ')) + ' ' + settings[k] +
             (settings[k] === settings.defaults[k] ? ' (default)' : ''));
    if (settings.z !== undefined) parts.push('z = ' + settings.z);
    return parts.length ? 'Settings: ' + parts.join(', ') : '';
  }

  function render(container, command, args, result, quorbel) {
    for (const link of container.querySelectorAll('a[href^="blob:"]')) URL.revokeObjectURL(link.href);
    container.textContent = '';
    container.append(element('h2', {text: 'Result'}));
    if (result.settings) container.append(element('p', {class: 'settings', text: settingsText(result.settings)}));
    for (const warning of result.warnings || [])
      container.append(element('p', {class: 'warning', text: 'Warning: ' + warning.message}));
    const parts = split(result, '', {values: [], intervals: [], tables: []});
    if (parts.values.length) container.append(table(['', 'value'], parts.values));
    if (parts.intervals.length)
      container.append(table(['', 'lower', 'upper'], parts.intervals.map(([name, v]) => [name, v.lower, v.upper])));
    for (const [name, rows] of parts.tables) {
      const keys = Object.keys(rows[0]);
      container.append(table(keys.map(words), rows.map((row) => keys.map((k) => row[k])), name));
    }
    const csv = quorbel.csv(result);
    const actions = element('div', {class: 'actions'}, copyButton(csv),
                            download(command.family + '-' + command.name + '.csv', csv, 'text/csv'));
    if (result.output !== undefined) actions.append(download(args.out, result.output, 'text/plain'));
    container.append(actions, element('p', {class: 'command-line', text: 'The same on the command line: ' + commandLine(command, args)}));
  }

  root.QuorbelResults = {render};
})(this);
