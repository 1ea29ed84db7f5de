// The page: forms that become command lines, run by the WebAssembly build of
// QUAVEN's own command line in a worker per section (engine.js), whose JSON is
// laid out as tables and plots and whose CSV and JSON are offered for
// download as they are. No figure is computed here; numbers are only
// formatted for display.
import { Engine, Cancelled } from './engine.js';
import { clearPlots, colour, dropChart, legendHeight, resizeCharts, setChart } from './charts.js';
import { fmt, heading, inFormWords, messageLines, show } from './display.js';
import { lazyLink, releaseLinks } from './links.js';
import { fillForm, formValues, initialState, saveState } from './state.js';

// ------------------------------------------------------------ the sections

// What each section runs. `models` maps the model chosen at the top to the
// one the section's command line runs: a feed is judged by the exact model
// under either aperture model. `files` are the forms of the section's table
// offered for download (see fileKinds), `args` makes its command line from
// its form and `shown` lays out its JSON. A section of its own is one more
// entry here, a form and a panel in index.html.
const sections = {
  design: {
    models: { legacy: 'legacy', exact: 'exact', 'full-wave': 'full-wave' },
    files: ['csv', 'json'],
    args: designArgs,
    shown: designShown,
  },
  response: {
    models: { legacy: 'legacy', exact: 'exact', 'full-wave': 'full-wave' },
    files: ['csv', 'json', 'touchstone', 'touchstone-ma'],
    args: responseArgs,
    shown: responseShown,
  },
  feed: {
    models: { legacy: 'exact', exact: 'exact', 'full-wave': 'full-wave' },
    files: ['csv', 'json'],
    args: feedArgs,
    shown: feedShown,
  },
};

// The forms the command line writes, as downloads: the --format value, the
// file's extension (default: the format), what is added to its name, its
// type, the models that offer it (default: all), whether it is bytes rather
// than text, and whether it is the horn's geometry (the geometry subcommand,
// which takes no model). A form the command line gains is one entry here
// and its name in a section's `files`, or in a pattern's (patternFiles).
const fileKinds = {
  csv: { format: 'csv', type: 'text/csv' },
  json: { format: 'json', type: 'application/json' },
  // S11 of a full-wave response, Touchstone 1.1 (no MIME type is
  // registered for it: it is plain text).
  touchstone: { format: 'touchstone', extension: 's1p', type: 'text/plain', label: 'Touchstone (.s1p)', models: ['full-wave'] },
  'touchstone-ma': { format: 'touchstone-ma', extension: 's1p', suffix: '_ma', type: 'text/plain',
    label: 'Touchstone, magnitude and angle (.s1p)', models: ['full-wave'] },
  // The complex far field of the exact or full-wave pattern on the phi = 0,
  // 45 and 90 degree cuts, for reflector programs.
  cut: { format: 'cut', type: 'text/plain', label: 'the cuts (.cut)', models: ['exact', 'full-wave'] },
  // The horn's section with its dimensions, and its solid in millimetres.
  svg: { format: 'svg', type: 'image/svg+xml', label: 'the drawing (.svg)', geometry: true },
  dxf: { format: 'dxf', type: 'image/vnd.dxf', label: 'the drawing (.dxf)', geometry: true },
  stl: { format: 'stl', type: 'model/stl', label: 'the solid (.stl)', geometry: true, binary: true },
};
const offered = (kind, model) => !fileKinds[kind].models || fileKinds[kind].models.includes(model);

// The forms of a pattern offered beside its plots' pictures, and of the
// horn's geometry where its feed guide is known.
const patternFiles = ['cut'];
const geometryFiles = ['svg', 'dxf', 'stl'];

// A number as a file name holds it: 1.2, 10, inf; a slant of infinity is
// "inf".
const nameNumber = (v) => fmt(typeof v === 'number' ? v : Number(v)).replace(/[^\w.+-]/g, '');

for (const [name, s] of Object.entries(sections)) {
  s.name = name;
  s.panel = document.getElementById(`panel-${name}`);
  s.form = document.getElementById(`${name}-form`);
  s.engine = new Engine();
}

// The page's state as a link holds it (state.js); each section's fields are
// those of its last run.
const state = initialState();
// Rows a link picked, used by each section's first run only.
const linkPicks = { ...state.picks };

// Puts the state in the address and remembers it, once the page has drawn
// what it is drawing (replacing the address takes the browser some 15 ms).
let saving = null;
function remember() {
  state.tab = document.querySelector('[role="tab"][aria-selected="true"]').id.replace(/^tab-/, '');
  Object.assign(state, globals());
  saving ??= setTimeout(() => {
    saving = null;
    saveState(state);
  }, 0);
}

function globals() {
  const form = document.getElementById('globals');
  return { model: form.model.value, units: form.units.value };
}

const modelOf = (name) => sections[name].models[globals().model];

// The options every subcommand takes, from the settings at the top; the
// full-wave options belong to the horn (see fullWaveArgs).
function commonArgs(format, model) {
  const args = ['--units', globals().units, '--format', format];
  if (model === 'exact') args.push('--exact');
  return args;
}

const value = (form, name) => form.elements[name].value.trim();

// ------------------------------------------------------------ running

// The last request of each kind in each section: an answer to an older one
// is not shown.
const latest = new Map();
function ticket(key) {
  const n = (latest.get(key) ?? 0) + 1;
  latest.set(key, n);
  return () => latest.get(key) === n;
}

const solvingText = (model) => (model === 'full-wave' ? 'Solving the horn in full wave…' : 'Computing…');

// Runs `quaven ARGS...` in the section's worker while the section shows it
// is solving: a status line with the rows done, the Cancel button, the form's
// button disabled, the results marked busy. Resolves to {status, out, err}, or to null
// when the run was cancelled or the worker failed (which the section then
// says). The body's data-busy counts the runs under way and data-runs those
// finished.
async function solving(s, text, args, options = {}) {
  const { panel } = s;
  const body = document.body;
  const run = panel.querySelector('.run');
  const status = run.querySelector('.status');
  const controls = run.querySelector('.run-controls');
  const bar = controls.querySelector('progress');
  const button = s.form.querySelector('button[type="submit"]');
  const count = (el, step) => {
    const n = Number(el.dataset.busy || 0) + step;
    if (n) el.dataset.busy = String(n);
    else delete el.dataset.busy;
    return n;
  };
  // Busy are the results being replaced, not the status line announcing
  // the progress (a live region inside a busy one is not read out).
  const results = panel.querySelectorAll('.results > :not(.run, .messages)');
  count(body, 1);
  count(panel, 1);
  for (const el of results) el.setAttribute('aria-busy', 'true');
  status.textContent = text;
  bar.removeAttribute('value');
  controls.hidden = false;
  button.disabled = true;
  const progress = (done, total) => {
    if (total < 2) return;
    status.textContent = `${text} ${done} of ${total} rows`;
    bar.max = total;
    bar.value = done;
  };
  try {
    return await s.engine.run(args, progress, options);
  } catch (e) {
    const box = panel.querySelector('.messages');
    const p = document.createElement('p');
    p.className = e instanceof Cancelled ? 'note cancelled' : 'error';
    p.textContent = e instanceof Cancelled ? 'Cancelled.' : `The computation failed: ${e.message}`;
    box.replaceChildren(p);
    return null;
  } finally {
    if (!count(panel, -1)) {
      // The Cancel button goes: its focus goes to the form's button.
      const focused = run.contains(document.activeElement);
      for (const el of results) el.removeAttribute('aria-busy');
      status.textContent = '';
      controls.hidden = true;
      button.disabled = false;
      if (focused) button.focus();
    }
    count(body, -1);
    body.dataset.runs = String(Number(body.dataset.runs || 0) + 1);
  }
}

function cancel(s) {
  if (s.engine.busy) s.engine.cancel();
}

// ------------------------------------------------------------- display

function showMessages(s, err, isError) {
  const box = s.panel.querySelector('.messages');
  box.replaceChildren();
  for (const line of messageLines(err)) {
    const p = document.createElement('p');
    p.className = isError ? 'error' : 'note';
    p.textContent = inFormWords(line, s.form);
    box.append(p);
  }
}

// Marks the input a refusal names: the first option in its message that is a
// field shown in the form.
function markInvalid(form, err) {
  for (const el of form.querySelectorAll('[aria-invalid]')) el.removeAttribute('aria-invalid');
  const line = (err.match(/^quaven: .*/m) || [''])[0];
  const target = (line.match(/--[a-z-]+/g) || []).map((option) => [...form.querySelectorAll(`[data-option="${option}"]`)]
    .find((el) => !el.closest('[hidden]'))).find(Boolean);
  if (!target) return;
  const inputs = target.matches('fieldset') ? [...target.querySelectorAll('input')] : [target];
  for (const el of inputs) el.setAttribute('aria-invalid', 'true');
  inputs[0].focus();
}

// What each note named in the rows means, from the library.
let noteTexts = {};

// A note's name in words (beyond_curves: "beyond curves").
const noteName = (key) => key.replace(/_/g, ' ');

// The columns that decide between rows, shown first after the row's key
// (the return loss of a full-wave run beside the gain).
const leading = {
  feed: ['aperture_efficiency', 'edge_taper_e_db', 'edge_taper_h_db', 'focus_behind_aperture_wl', 's11_db'],
};

const isBandColumn = (c) => /_band_|_spread_wl$/.test(c);

function columnOrder(doc) {
  const columns = doc.columns.filter((c) => c !== 'notes');
  const first = (leading[doc.command] ?? []).filter((c) => columns.includes(c));
  let rest = columns.slice(1).filter((c) => !first.includes(c));
  // S11 after the gain, and a design's figures over its band after them.
  const after = [...(first.includes('s11_db') ? [] : ['s11_db']), ...columns.filter(isBandColumn)]
    .filter((c) => rest.includes(c));
  if (after.length && rest.includes('gain_db')) {
    rest = rest.filter((c) => !after.includes(c));
    rest.splice(rest.indexOf('gain_db') + 1, 0, ...after);
  }
  return [columns[0], ...first, ...rest];
}

// The table of a JSON result, one radio button per row to pick it, and the
// notes of each row beside it. The pick column and the row's key stay in
// view when the table scrolls sideways.
function renderTable(s, doc, { pickLabel, onPick, picked = 0 }) {
  const box = s.panel.querySelector('.table-box');
  box.replaceChildren();
  const columns = columnOrder(doc);
  // A column of notes only where a row has one.
  const hasNotes = doc.rows.some((r) => Array.isArray(r.notes) && r.notes.length);
  const table = document.createElement('table');
  const cap = document.createElement('caption');
  cap.textContent = `${doc.rows.length} row${doc.rows.length === 1 ? '' : 's'}; pick one to see its patterns`;
  table.append(cap);
  const head = table.createTHead().insertRow();
  const th0 = document.createElement('th');
  th0.textContent = 'Pick';
  th0.scope = 'col';
  head.append(th0);
  // The notes stand beside the row's first figure, where a narrow screen
  // still shows them; what each means is listed under the table.
  columns.forEach((c, k) => {
    const th = document.createElement('th');
    th.scope = 'col';
    th.dataset.column = c;
    th.textContent = heading(c);
    head.append(th);
    if (k === 0 && hasNotes) {
      const tn = document.createElement('th');
      tn.scope = 'col';
      tn.textContent = 'Notes';
      head.append(tn);
    }
  });
  const seen = new Set();
  const body = table.createTBody();
  doc.rows.forEach((row, i) => {
    const tr = body.insertRow();
    const td = tr.insertCell();
    const radio = document.createElement('input');
    radio.type = 'radio';
    radio.name = `${s.name}-pick`;
    radio.value = String(i);
    radio.setAttribute('aria-label', pickLabel(row));
    radio.checked = i === picked;
    radio.addEventListener('change', () => {
      for (const r of body.rows) r.classList.remove('picked');
      tr.classList.add('picked');
      onPick(row, i);
    });
    td.append(radio);
    if (i === picked) tr.classList.add('picked');
    columns.forEach((c, k) => {
      const cell = tr.insertCell();
      cell.dataset.column = c;
      cell.dataset.value = row[c] === null ? '' : String(row[c]);
      cell.textContent = show(row[c], c, doc.command);
      if (k === 0 && hasNotes) {
        const notes = tr.insertCell();
        const keys = row.notes || [];
        notes.className = 'notes';
        notes.dataset.notes = keys.join(';');
        notes.textContent = keys.map(noteName).join('; ');
        if (keys.length) {
          notes.title = keys.map((n) => noteTexts[n] || noteName(n)).join('; ');
          tr.classList.add('noted');
        }
        for (const n of keys) seen.add(n);
      }
    });
  });
  // The body a full-wave run solved, as the command line's table says it
  // above its rows.
  if (doc.inputs.full_wave === true) {
    const u = globals().units;
    const len = (v) => `${+v.toPrecision(5)} ${u}`;
    const line = document.createElement('p');
    line.className = 'body-line';
    const num = (v) => `${+v.toPrecision(5)}`;
    const f = doc.inputs.flange;
    let parts = f ? `; flange radius ${len(f[0])}, thickness ${len(f[1])}` : '';
    for (let k = 1, c; (c = doc.inputs[`choke${k}`]); ++k) {
      parts += `; choke ${k}: inner radius ${len(c[0])}, width ${num(c[1])}, depth ${num(c[2])}, `
        + `wall ${num(c[3])}, setback ${num(c[4])}`;
    }
    line.textContent = `Full-wave body: feed guide radius ${len(doc.inputs.throat_radius)}, `
      + `length ${len(doc.inputs.guide_length)}, wall ${len(doc.inputs.wall)}${parts}`;
    box.append(line);
  }
  const scroller = document.createElement('div');
  scroller.className = 'scroll';
  scroller.tabIndex = 0;
  scroller.setAttribute('role', 'region');
  scroller.setAttribute('aria-label', 'Results table');
  scroller.append(table);
  box.append(scroller);
  if (seen.size) {
    const legend = document.createElement('dl');
    legend.className = 'note-legend';
    for (const n of seen) {
      const dt = document.createElement('dt');
      dt.textContent = noteName(n);
      const dd = document.createElement('dd');
      dd.dataset.note = n;
      dd.textContent = noteTexts[n] || '';
      legend.append(dt, dd);
    }
    box.append(legend);
  }
}

// A link to the file `quaven ARGS... --format KIND` writes, named `name`
// (and the kind's suffix): `text` when it is at hand, else run in the
// section's worker when first asked for (a full-wave run solves the horn
// again).
function fileLink(s, kind, name, args, model, text) {
  const { format, type, extension = format, suffix = '', label = kind.toUpperCase(), geometry, binary } = fileKinds[kind];
  const a = document.createElement('a');
  a.download = `${name}${suffix}.${extension}`;
  a.className = `download ${kind}`;
  a.textContent = `Download ${label}`;
  if (text !== undefined) {
    a.href = URL.createObjectURL(new Blob([text], { type }));
    return a;
  }
  lazyLink(a, async () => {
    const r = await solving(s, geometry ? 'Computing…' : solvingText(model),
      [...args, ...commonArgs(format, geometry ? 'legacy' : model)], { binary });
    if (!r) return null;
    if (r.status !== 0) {
      showMessages(s, r.err, true);
      return null;
    }
    return new Blob([r.out], { type });
  });
  return a;
}

// Download links for the section's table in each of its forms, the JSON
// the one the section has shown.
function renderDownloads(s, args, model, json) {
  const box = s.panel.querySelector('.downloads');
  releaseLinks(box);
  box.replaceChildren();
  for (const kind of s.files.filter((k) => offered(k, model))) {
    const name = /^touchstone/.test(kind) ? sweepName(s.form) : `quaven-${s.name}`;
    box.append(fileLink(s, kind, name, args, model, kind === 'json' ? json : undefined));
  }
  const code = document.createElement('code');
  code.className = 'command';
  code.textContent = ['quaven', ...args, ...commonArgs('csv', model)]
    .map((w) => (/^[\w.+\-/]+$/.test(w) ? w : `'${w}'`)).join(' ');
  const p = document.createElement('p');
  p.append('Same as: ', code);
  box.append(p);
}

// The name of a file of a horn over the frequencies of a response's form:
// horn_10GHz, horn_8-12GHz.
function sweepName(form) {
  const [f0, f1] = [value(form, 'f0'), value(form, 'f1')].map(nameNumber);
  return `horn_${f0 === f1 ? f0 : `${f0}-${f1}`}GHz`;
}

// ------------------------------------------------------------------ plots

// The amplitude columns of a pattern and the plane each belongs to.
function amplitudeColumns(columns) {
  return columns.filter((c) => /^amplitude_.+_db$/.test(c)).map((c) => {
    const plane = c.replace(/^amplitude_/, '').replace(/_db$/, '');
    const words = plane.replace(/^e$/, 'E plane').replace(/^h$/, 'H plane').replace(/^45(_?)/, '45° plane$1')
      .replace(/_/g, ' ');
    return { column: c, label: words };
  });
}


// Rectangular and polar plots of a pattern, from `quaven pattern` JSON; a
// full-wave pattern is in dBi (realised gain), the others relative to the
// peak.
function drawPattern(s, doc, title) {
  const box = s.panel.querySelector('.plots');
  const fullWave = doc.inputs.full_wave === true;
  const dB = fullWave ? 'dBi' : 'dB';
  const kind = fullWave ? 'Full-wave pattern' : 'Pattern';
  const cols = amplitudeColumns(doc.columns);
  const peak = Math.max(...doc.rows.flatMap((r) => cols.map((c) => r[c.column])).filter((v) => v !== null));
  const top = Math.ceil(peak / 10) * 10;
  const floor = top - 50;
  setChart(box, 'rect', `quaven-${s.name}-pattern`, `${kind}, rectangular: ${title}`, (layout) => ({
    animation: false,
    legend: { top: layout.top },
    tooltip: { trigger: 'axis', valueFormatter: (v) => (v === null ? '—' : `${v.toFixed(2)} ${dB}`) },
    grid: { left: 56, right: 16, top: layout.top + 12 + legendHeight(cols.map((c) => c.label), layout.width), bottom: 44 },
    xAxis: { type: 'value', name: 'Angle off axis (deg)', nameLocation: 'middle', nameGap: 28, min: -180, max: 180,
      interval: 45, axisLine: { onZero: false } },
    yAxis: { type: 'value', name: fullWave ? 'Realised gain (dBi)' : 'Amplitude (dB)', nameLocation: 'middle',
      nameGap: 38, min: floor, max: top, interval: 10, axisLine: { onZero: false } },
    series: cols.map((c, k) => ({
      name: c.label, type: 'line', showSymbol: false, color: colour(k), connectNulls: false,
      data: doc.rows.map((r) => [r.angle_deg, r[c.column]]),
    })),
  }));
  // On the polar plot the radius is the level, clipped at the floor of the
  // scale so that nulls stay at the centre.
  setChart(box, 'polar', `quaven-${s.name}-pattern-polar`,
    `${kind}, polar (rings every 10 dB, ${floor} to ${top} ${dB}): ${title}`, (layout) => ({
      animation: false,
      legend: { top: layout.top },
      // Below the legend, the largest circle the box holds with room for
      // the angles' labels.
      polar: polarPlace(layout, legendHeight(cols.map((c) => c.label), layout.width)),
      angleAxis: { type: 'value', min: -180, max: 180, startAngle: 270, clockwise: true, interval: 30,
        axisLabel: { formatter: (v) => (v === -180 ? '' : `${v}°`) } },
      radiusAxis: { type: 'value', min: floor, max: top, interval: 10, axisLabel: { show: false },
        axisTick: { show: false }, axisLine: { show: false } },
      tooltip: { trigger: 'item', formatter: (p) => `${p.seriesName}: ${p.value[1]}°, ${p.value[0].toFixed(2)} ${dB}` },
      series: cols.map((c, k) => ({
        name: c.label, type: 'line', coordinateSystem: 'polar', showSymbol: false, color: colour(k),
        data: doc.rows.map((r) => [r[c.column] === null ? floor : Math.max(r[c.column], floor), r.angle_deg]),
      })),
    }));
}

// Where a polar plot goes in `layout` below a legend `legend` pixels high.
function polarPlace(layout, legend) {
  if (!layout.width || !layout.height) return { radius: '72%', center: ['50%', '56%'] };
  const top = layout.top + legend + 24;
  const size = Math.min(layout.width - 80, layout.height - top - 24);
  return { radius: size / 2, center: [layout.width / 2, top + size / 2] };
}

// The pattern of one horn at one frequency, run through `quaven pattern`
// by `model`; `body` holds the full-wave options, `guide` the feed guide's
// options for the horn's geometry (none: no guide known, no geometry).
// `row` is the table row it belongs to, remembered in the link once drawn.
async function showPattern(s, { freq, aperture, slant, model, body = [], guide = null, row }) {
  const box = s.panel.querySelector('.plots');
  const current = ticket(`${s.name}:pattern`);
  const args = ['pattern', '--freq', String(freq), '--aperture', String(aperture), '--slant', String(slant),
    '--angles', '-180', '180', '1', ...(model === 'full-wave' ? body : [])];
  const r = await solving(s, solvingText(model), [...args, ...commonArgs('json', model)]);
  if (!r || !current()) return;
  if (r.status !== 0) {
    clearPlots(box);
    const p = document.createElement('p');
    p.className = 'error';
    p.textContent = messageLines(r.err).join(' ');
    box.append(p);
    return;
  }
  const doc = JSON.parse(r.out);
  const u = globals().units;
  const fed = doc.inputs.full_wave === true ? `, feed guide ${fmt(doc.inputs.throat_radius)} ${u}` : '';
  drawPattern(s, doc, `${fmt(freq)} GHz, aperture ${fmt(aperture)} ${u}, slant ${fmt(slant)} ${u}${fed}`);
  const old = box.querySelector(':scope > .downloads');
  if (old) {
    releaseLinks(old);
    old.remove();
  }
  const kinds = patternFiles.filter((k) => offered(k, model));
  const horn = `horn_a${nameNumber(aperture)}${u}_R${nameNumber(slant)}${u}`;
  const links = kinds.map((k) => fileLink(s, k, `${horn}_${nameNumber(freq)}GHz`, args, model));
  if (guide) {
    // A thin wall (0) has no solid to print: no STL.
    const wall = guide.indexOf('--wall');
    const thin = wall >= 0 && Number(guide[wall + 1]) === 0;
    const drawn = ['geometry', '--aperture', String(aperture), '--slant', String(slant), ...guide];
    links.push(...geometryFiles.filter((k) => !(thin && k === 'stl')).map((k) => fileLink(s, k, horn, drawn, model)));
  }
  if (links.length) {
    const files = document.createElement('p');
    files.className = 'downloads';
    files.append(...links);
    box.append(files);
  }
  state.picks[s.name] = row;
  remember();
}

// A number given back to the command line: every digit the JSON holds.
const fmtExact = (v) => String(v);

// ------------------------------------------------------------ the sections

// Runs a section's table: shows the refusal or the notes, the table and
// plots through the section's `shown`, and remembers the fields in the link.
async function runSection(name) {
  const s = sections[name];
  const model = modelOf(name);
  const args = s.args(s.form, model);
  const fields = formValues(s.form);
  const current = ticket(`${name}:table`);
  const r = await solving(s, solvingText(model), [...args, ...commonArgs('json', model)]);
  if (!r || !current()) return;
  markInvalid(s.form, r.status === 0 ? '' : r.err);
  showMessages(s, r.err, r.status !== 0);
  if (r.status !== 0) {
    ticket(`${name}:pattern`);
    s.panel.querySelector('.table-box').replaceChildren();
    s.panel.querySelector('.downloads').replaceChildren();
    for (const box of s.panel.querySelectorAll('.plots, .sweep-plots')) clearPlots(box);
    return;
  }
  renderDownloads(s, args, model, r.out);
  state.sections[name] = fields;
  delete state.picks[name];
  remember();
  const doc = JSON.parse(r.out);
  // The row a link picked, on its first run; else the section's own choice.
  const linked = linkPicks[name];
  delete linkPicks[name];
  const pickedOr = (i) => (Number.isInteger(linked) && linked < doc.rows.length ? linked : i);
  await s.shown(s, doc, model, pickedOr);
}

// A slant radius as the pattern subcommand reads it back.
const slantArg = (v) => (v === null ? 'inf' : v);

function designArgs(form, model) {
  const args = ['design', '--freq', value(form, 'freq')];
  if (form.to.value === 'gain') {
    args.push('--gain', value(form, 'gain'));
  } else {
    args.push('--beamwidth', value(form, 'beamwidth'), '--level', value(form, 'level'));
    if (form.derive.value) args.push('--derive-from', form.derive.value);
    args.push('--plane', form.plane.value);
  }
  args.push('--s-range', value(form, 's0'), value(form, 's1'), value(form, 's2'));
  // The band, where either edge is filled (the command line says what is
  // wrong with an empty one).
  if (value(form, 'b0') || value(form, 'b1')) args.push('--band', value(form, 'b0'), value(form, 'b1'));
  return model === 'full-wave' ? [...args, ...fullWaveArgs(form)] : withThroat(form, args);
}

// The throat radius, where the field is shown and filled.
function withThroat(form, args) {
  const throat = form.elements.throat;
  if (throat && !throat.closest('[hidden]') && throat.value.trim()) args.push('--throat', throat.value.trim());
  return args;
}

// Picking a row of a design or a feed shows the patterns of its horn at the
// run's frequency, by the run's model; a full-wave run's on the body it
// solved. A row with no horn (not a number) clears them.
function rowPattern(s, doc, model) {
  const u = globals().units;
  const body = model === 'full-wave' ? solvedBody(doc) : [];
  const guide = guideOf(doc);
  return (row, i) => {
    const aperture = row[`aperture_radius_${u}`];
    if (aperture === null) {
      clearPlots(s.panel.querySelector('.plots'));
      return null;
    }
    return showPattern(s, { freq: doc.inputs.freq_ghz, aperture, slant: slantArg(row[`slant_radius_${u}`]), model, body,
      guide, row: i });
  };
}

// The feed guide of a run as the geometry subcommand takes it: the body a
// full-wave run solved, or the throat an aperture-model run was given;
// null where the run knows no guide.
function guideOf(doc) {
  if (doc.inputs.full_wave === true) return solvedBody(doc).slice(1);
  return typeof doc.inputs.throat_radius === 'number' ? ['--throat', fmtExact(doc.inputs.throat_radius)] : null;
}

function designShown(s, doc, model, pickedOr) {
  const u = globals().units;
  const pick = rowPattern(s, doc, model);
  const picked = pickedOr(Math.max(0, doc.rows.findIndex((r) => r[`aperture_radius_${u}`] !== null)));
  renderTable(s, doc, { pickLabel: (row) => `Show the patterns of the horn for S = ${show(row.s_cycles, 's_cycles')}`, onPick: pick, picked });
  if (doc.rows.length) return pick(doc.rows[picked], picked);
  clearPlots(s.panel.querySelector('.plots'));
  return null;
}

// The full-wave options: the feed guide's radius (the command line requires
// it and says so when it is empty), its length and the wall, where filled.
function fullWaveArgs(form) {
  const args = ['--full-wave'];
  for (const [name, option] of [['throat', '--throat'], ['guide', '--guide-length'], ['wall', '--wall']]) {
    if (value(form, name)) args.push(option, value(form, name));
  }
  return [...args, ...partsArgs(form)];
}

// A flange and choke rings round a judged horn's rim, where the form shows
// their fields: one --choke per ring, the rings apart by semicolons.
function partsArgs(form) {
  const flange = form.elements.namedItem('flange');
  if (!(flange instanceof HTMLInputElement) || flange.closest('[hidden]')) return [];
  const args = value(form, 'flange') ? ['--flange', value(form, 'flange')] : [];
  for (const ring of value(form, 'chokes').split(';').map((r) => r.trim()).filter(Boolean)) args.push('--choke', ring);
  return args;
}

function responseArgs(form, model) {
  const args = ['response', '--aperture', value(form, 'aperture'), '--slant', value(form, 'slant'),
    '--freq-range', value(form, 'f0'), value(form, 'f1'), value(form, 'f2'), '--level', value(form, 'level')];
  if (form.derive.value) args.push('--derive-from', form.derive.value);
  return model === 'full-wave' ? [...args, ...fullWaveArgs(form)] : withThroat(form, args);
}

// Beamwidths, gain and phase centres over the sweep, and the return loss of
// a full-wave run (whose gain is the directivity: the body is lossless).
function drawSweep(s, doc) {
  const box = s.panel.querySelector('.sweep-plots');
  const fullWave = doc.inputs.full_wave === true;
  const by = fullWave ? ' (full wave)' : '';
  const x = doc.columns[0];
  const line = (c, k, axis = 0) => ({
    name: heading(c).replace(/ \(.*\)$/, '').replace(/^Beamwidth /, ''), type: 'line', color: colour(k), yAxisIndex: axis,
    symbolSize: 5, data: doc.rows.map((r) => [r[x], r[c]]),
  });
  const base = (layout) => ({
    animation: false,
    legend: { top: layout.top, type: 'scroll' },
    tooltip: { trigger: 'axis' },
    grid: { left: 56, right: 56, top: layout.top + 56, bottom: 44 },
    xAxis: { type: 'value', name: 'Frequency (GHz)', nameLocation: 'middle', nameGap: 28, scale: true },
  });
  const bw = doc.columns.filter((c) => /^beamwidth_/.test(c));
  setChart(box, 'beamwidths', 'quaven-response-beamwidths', `Beamwidths against frequency${by}`, (layout) => ({
    ...base(layout),
    yAxis: { type: 'value', name: 'Beamwidth (deg)', nameLocation: 'middle', nameGap: 38, scale: true },
    series: bw.map((c, k) => line(c, k)),
  }));
  const pc = doc.columns.filter((c) => /^phase_centre_/.test(c));
  setChart(box, 'gain', 'quaven-response-gain',
    `${fullWave ? 'Gain (of the lossless horn: its directivity)' : 'Gain'} and phase centres against frequency${by}`,
    (layout) => ({
      ...base(layout),
      yAxis: [{ type: 'value', name: fullWave ? 'Gain (dBi)' : 'Gain (dB)', nameLocation: 'middle', nameGap: 38, scale: true },
        { type: 'value', name: 'Phase centre (λ)', nameLocation: 'middle', nameGap: 38, scale: true }],
      series: [line('gain_db', 0), ...pc.map((c, k) => line(c, k + 1, 1))],
    }));
  if (!doc.columns.includes('s11_db')) {
    dropChart(box, 's11');
    return;
  }
  setChart(box, 's11', 'quaven-response-s11', `Return loss S11 at the feed guide's TE11 port against frequency${by}`,
    (layout) => ({
      ...base(layout),
      legend: { show: false },
      yAxis: { type: 'value', name: 'S11 (dB)', nameLocation: 'middle', nameGap: 38, scale: true },
      series: [line('s11_db', 1)],
    }));
}

// The full-wave options of the body a run solved: the guide's length and
// the wall as the run resolved them (their defaults follow the lowest
// frequency of a sweep, not that of a pattern drawn from it).
const solvedBody = (doc) => ['--full-wave', '--throat', fmtExact(doc.inputs.throat_radius),
  '--guide-length', fmtExact(doc.inputs.guide_length), '--wall', fmtExact(doc.inputs.wall), ...solvedParts(doc)];

// The flange (radius, thickness) and the rings (inner, width, depth, wall,
// setback) as the run resolved them, the inputs choke1, choke2, ...
function solvedParts(doc) {
  const args = doc.inputs.flange ? ['--flange', doc.inputs.flange.map(fmtExact).join(',')] : [];
  for (let k = 1; doc.inputs[`choke${k}`]; ++k) args.push('--choke', doc.inputs[`choke${k}`].map(fmtExact).join(','));
  return args;
}

function responseShown(s, doc, model, pickedOr) {
  const a = value(s.form, 'aperture');
  const r = value(s.form, 'slant');
  const body = model === 'full-wave' ? solvedBody(doc) : [];
  const guide = guideOf(doc);
  const pick = (row, i) => showPattern(s, { freq: row.frequency_ghz, aperture: a, slant: r, model, body, guide, row: i });
  const picked = pickedOr(0);
  renderTable(s, doc, { pickLabel: (row) => `Show the patterns at ${show(row.frequency_ghz, 'frequency_ghz')} GHz`, onPick: pick, picked });
  if (offered('cut', model) && doc.rows.length > 1) {
    // The cuts of every frequency of the sweep in one file, as `pattern
    // --freq-range` writes them.
    const u = globals().units;
    const args = ['pattern', '--aperture', a, '--slant', r, '--freq-range', value(s.form, 'f0'), value(s.form, 'f1'),
      value(s.form, 'f2'), '--angles', '-180', '180', '1', ...body];
    const link = fileLink(s, 'cut', `horn_a${nameNumber(a)}${u}_R${nameNumber(r)}${u}_${sweepName(s.form).slice(5)}`, args, model);
    link.textContent = 'Download the cuts at every frequency (.cut)';
    s.panel.querySelector('.results > .downloads p').before(link);
  }
  drawSweep(s, doc);
  if (doc.rows.length) return pick(doc.rows[picked], picked);
  clearPlots(s.panel.querySelector('.plots'));
  return null;
}

// A given horn judged on the dish, or horns designed for it (the command
// line says so where a full-wave design lacks its range of S).
function feedArgs(form, model) {
  const args = ['feed', '--freq', value(form, 'freq'), '--f-over-d', value(form, 'fd')];
  if (form.horn.value === 'judge') {
    args.push('--aperture', value(form, 'aperture'), '--slant', value(form, 'slant'));
  } else {
    if (value(form, 'taper')) args.push('--taper', value(form, 'taper'));
    if (value(form, 's0') || value(form, 's1') || value(form, 's2')) {
      args.push('--s-range', value(form, 's0'), value(form, 's1'), value(form, 's2'));
    }
  }
  return model === 'full-wave' ? [...args, ...fullWaveArgs(form)] : args;
}

function feedShown(s, doc, model, pickedOr) {
  const pick = rowPattern(s, doc, model);
  const picked = pickedOr(Math.max(0, doc.rows.findIndex((r) => r.best === true || r.best === 1)));
  renderTable(s, doc, { pickLabel: (row) => `Show the patterns of the feed for S = ${show(row.s_cycles, 's_cycles')}`, onPick: pick, picked });
  if (doc.rows.length) return pick(doc.rows[picked], picked);
  clearPlots(s.panel.querySelector('.plots'));
  return null;
}

// --------------------------------------------------------------- the tabs

function setupTabs() {
  const tabs = [...document.querySelectorAll('[role="tab"]')];
  const select = (tab, focus) => {
    for (const t of tabs) {
      const on = t === tab;
      t.setAttribute('aria-selected', String(on));
      t.tabIndex = on ? 0 : -1;
      document.getElementById(t.getAttribute('aria-controls')).hidden = !on;
    }
    if (focus) tab.focus();
    resizeCharts();
    remember();
  };
  tabs.forEach((tab, i) => {
    tab.addEventListener('click', () => select(tab, false));
    tab.addEventListener('keydown', (e) => {
      const step = { ArrowRight: 1, ArrowLeft: -1 }[e.key];
      if (step) select(tabs[(i + step + tabs.length) % tabs.length], true);
      else if (e.key === 'Home') select(tabs[0], true);
      else if (e.key === 'End') select(tabs[tabs.length - 1], true);
      else return;
      e.preventDefault();
    });
  });
  const start = document.getElementById(`tab-${state.tab}`);
  if (start) select(start, false);
}

// Shows the fields of the choice made in a form's radio group `name`: each
// [data-when="name=value"] while that value is picked.
function choiceFields(form, name) {
  const sync = () => {
    for (const el of form.querySelectorAll(`[data-when^="${name}="]`)) el.hidden = el.dataset.when !== `${name}=${form.elements[name].value}`;
  };
  for (const r of form.querySelectorAll(`input[name="${name}"]`)) r.addEventListener('change', sync);
  sync();
}

// The fields and hints of the model chosen; the feed guide's radius is the
// throat's under full wave, and messages name it so.
function syncModel() {
  const fullWave = globals().model === 'full-wave';
  for (const el of document.querySelectorAll('.when-full-wave')) el.hidden = !fullWave;
  for (const el of document.querySelectorAll('.when-aperture')) el.hidden = fullWave;
  for (const el of document.querySelectorAll('[data-fields="body-fields"] [name="throat"]')) {
    el.dataset.name = fullWave ? 'feed guide radius' : 'throat radius';
  }
}

// Every section again (a change of model or units), each cancelling what it
// was still computing for the settings before.
function rerunAll() {
  return Promise.all(Object.values(sections).map((s) => {
    if (s.engine.busy) s.engine.cancel();
    return runSection(s.name);
  }));
}

async function setup() {
  for (const box of document.querySelectorAll('[data-fields]')) {
    box.append(document.getElementById(box.dataset.fields).content.cloneNode(true));
  }
  const globalsForm = document.getElementById('globals');
  fillForm(globalsForm, { model: state.model, units: state.units });
  for (const s of Object.values(sections)) fillForm(s.form, state.sections[s.name]);
  choiceFields(sections.design.form, 'to');
  choiceFields(sections.feed.form, 'horn');
  for (const s of Object.values(sections)) {
    s.form.addEventListener('submit', (e) => {
      e.preventDefault();
      runSection(s.name);
    });
    s.panel.querySelector('.run .cancel').addEventListener('click', () => cancel(s));
  }
  setupTabs();
  window.addEventListener('resize', resizeCharts);
  // A link pasted over this page's address: open it as a link is opened.
  window.addEventListener('hashchange', () => location.reload());
  const about = await sections.design.engine.about();
  noteTexts = about.notes;
  document.getElementById('version').textContent = about.version;
  // The full-wave model, where this build's command line has it.
  globalsForm.querySelector('.full-wave-choice').hidden = !about.fullWave;
  if (!about.fullWave && globals().model === 'full-wave') fillForm(globalsForm, { model: 'legacy' });
  syncModel();
  // A change of model or units recomputes every section.
  globalsForm.addEventListener('change', () => {
    syncModel();
    rerunAll();
  });
  await Promise.all(Object.keys(sections).map(runSection));
  document.body.dataset.ready = 'true';
}

setup().catch((e) => {
  document.body.prepend(Object.assign(document.createElement('p'), { className: 'error', textContent: `The page could not start: ${e}` }));
});
