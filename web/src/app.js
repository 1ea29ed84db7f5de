// The page: forms that become command lines, run by the WebAssembly build of
// QUAVEN's own command line, whose JSON is laid out as tables and plots and
// whose CSV and JSON are offered for download as they are. No figure is
// computed here; numbers are only formatted for display.
import * as echarts from 'echarts/core';
import { LineChart } from 'echarts/charts';
import { GridComponent, PolarComponent, LegendComponent, TooltipComponent } from 'echarts/components';
import { CanvasRenderer } from 'echarts/renderers';
import createQuaven from 'quaven-wasm';

echarts.use([LineChart, GridComponent, PolarComponent, LegendComponent, TooltipComponent, CanvasRenderer]);

let quaven = null;

// ------------------------------------------------------------ the program

// Runs `quaven ARGS...` in the page: {status, out, err}.
function run(args) {
  const r = quaven.run(args);
  return { status: r.status, out: r.out, err: r.err };
}

function globals() {
  const form = document.getElementById('globals');
  return { model: form.model.value, units: form.units.value };
}

// The model a section's command line runs: 'legacy', 'exact' or 'full-wave'.
// A design is a search over aperture theory (the design subcommand has no
// full wave), so under full wave it uses the exact model; a feed is judged
// by the exact model under either aperture model.
function modelOf(section) {
  const { model } = globals();
  if (section === 'design' && model === 'full-wave') return 'exact';
  if (section === 'feed' && model === 'legacy') return 'exact';
  return model;
}

// The options every subcommand takes, from the settings at the top; the
// full-wave options belong to the horn (see fullWaveArgs).
function commonArgs(format, model) {
  const args = ['--units', globals().units, '--format', format];
  if (model === 'exact') args.push('--exact');
  return args;
}

// Waits until the browser has painted what was changed: the command line
// runs on the page's own thread, and a full-wave solve holds it for seconds.
const painted = () => new Promise((resolve) => {
  requestAnimationFrame(() => setTimeout(resolve, 0));
  setTimeout(resolve, 100);  // a page in the background gets no frames
});

// Runs `work` (which runs the command line) after showing the panel as
// solving: a status line, the form's button disabled, aria-busy set. The
// body's data-busy counts the runs under way and data-runs those finished.
async function solving(panel, text, work) {
  const body = document.body;
  const status = panel.querySelector('.status');
  const button = panel.querySelector('button[type="submit"]');
  const count = (el, step) => {
    const n = Number(el.dataset.busy || 0) + step;
    if (n) el.dataset.busy = String(n);
    else delete el.dataset.busy;
    return n;
  };
  count(body, 1);
  count(panel, 1);
  panel.setAttribute('aria-busy', 'true');
  status.textContent = text;
  status.hidden = false;
  if (button) button.disabled = true;
  try {
    await painted();
    return work();
  } finally {
    if (!count(panel, -1)) {
      panel.removeAttribute('aria-busy');
      status.hidden = true;
      if (button) button.disabled = false;
    }
    count(body, -1);
    body.dataset.runs = String(Number(body.dataset.runs || 0) + 1);
  }
}

const solvingText = (model) => (model === 'full-wave' ? 'Solving the horn in full wave…' : 'Computing…');

const value = (form, name) => form.elements[name].value.trim();

// ------------------------------------------------------------- display

// Column names as the command line writes them, in words.
function heading(name) {
  const unit = (name.match(/_(in|cm|deg|db|ghz|wl|cycles)$/) || [])[1];
  const units = { in: 'in', cm: 'cm', deg: 'deg', db: 'dB', ghz: 'GHz', wl: 'λ', cycles: 'cycles' };
  let words = unit ? name.slice(0, -unit.length - 1) : name;
  words = words
    .replace(/^s$/, 'S')
    .replace(/_e(?=_|$)/g, ' E').replace(/_h(?=_|$)/g, ' H').replace(/_45(?=_|$)/g, ' 45°')
    .replace(/_(\d+(?:\.\d+)?)db/g, ' $1 dB')
    .replace(/_/g, ' ');
  words = words.charAt(0).toUpperCase() + words.slice(1);
  return unit ? `${words} (${units[unit]})` : words;
}

// Decimal places for display, by what a column holds.
function places(name) {
  if (/^s_cycles$|phase_centre|_wl$|wavelengths|efficiency/.test(name)) return 3;
  if (/_(in|cm)$/.test(name) || /^frequency/.test(name)) return 4;
  if (/gain|_db$/.test(name)) return 2;
  return 1;
}

function show(v, name) {
  if (name === 'best') return v ? 'best' : '';
  if (v === null || v === undefined) return '—';
  if (typeof v === 'number') return v.toFixed(places(name));
  if (Array.isArray(v)) return v.join('; ');
  return String(v);
}

// Standard error as the page shows it: the message lines, without the usage
// text meant for a terminal.
function messageLines(err) {
  return err.split('\n').filter((l) => l && !/^Usage: |^ {6,}|^Run 'quaven/.test(l));
}

function showMessages(panel, err, isError) {
  const box = panel.querySelector('.messages');
  box.replaceChildren();
  for (const line of messageLines(err)) {
    const p = document.createElement('p');
    p.className = isError ? 'error' : 'note';
    p.textContent = line.replace(/^quaven: /, '');
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

// What each note named in the rows means, from the library (empty where it
// names none).
let noteTexts = {};

// A note's name in words (beyond_curves: "beyond curves").
const noteName = (key) => key.replace(/_/g, ' ');

// The table of a JSON result, one radio button per row to pick it, and the
// notes of each row beside it.
function renderTable(panel, doc, { pickLabel, onPick, picked = 0 }) {
  const box = panel.querySelector('.table-box');
  box.replaceChildren();
  // The return loss of a full-wave run (the command line's last column)
  // stands beside the gain, where it is seen without scrolling.
  const columns = doc.columns.filter((c) => c !== 'notes' && c !== 's11_db');
  if (doc.columns.includes('s11_db')) columns.splice(columns.indexOf('gain_db') + 1, 0, 's11_db');
  const hasNotes = doc.columns.includes('notes') || doc.rows.some((r) => Array.isArray(r.notes) && r.notes.length);
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
  const group = `${panel.id}-pick`;
  doc.rows.forEach((row, i) => {
    const tr = body.insertRow();
    const td = tr.insertCell();
    const radio = document.createElement('input');
    radio.type = 'radio';
    radio.name = group;
    radio.value = String(i);
    radio.setAttribute('aria-label', pickLabel(row));
    radio.checked = i === picked;
    radio.addEventListener('change', () => {
      for (const r of body.rows) r.classList.remove('picked');
      tr.classList.add('picked');
      onPick(row);
    });
    td.append(radio);
    if (i === picked) tr.classList.add('picked');
    columns.forEach((c, k) => {
      const cell = tr.insertCell();
      cell.dataset.column = c;
      cell.dataset.value = row[c] === null ? '' : String(row[c]);
      cell.textContent = show(row[c], c);
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

// Download links for the CSV and JSON of the same command line. The JSON is
// the one the section has shown; the CSV is run when first asked for, since
// a full-wave run solves the horn again.
function renderDownloads(panel, args, model, name, json) {
  const box = panel.querySelector('.downloads');
  for (const old of box.querySelectorAll('a')) if (old.href.startsWith('blob:')) URL.revokeObjectURL(old.href);
  box.replaceChildren();
  const types = { csv: 'text/csv', json: 'application/json' };
  const link = (format, text) => {
    const a = document.createElement('a');
    a.download = `quaven-${name}.${format}`;
    a.className = `download ${format}`;
    a.textContent = `Download ${format.toUpperCase()}`;
    if (text !== undefined) a.href = URL.createObjectURL(new Blob([text], { type: types[format] }));
    box.append(a);
    return a;
  };
  const csv = link('csv');
  csv.href = '#';
  csv.dataset.pending = 'true';
  csv.addEventListener('click', async (e) => {
    if (!csv.dataset.pending) return;
    e.preventDefault();
    if (csv.dataset.pending === 'running') return;
    csv.dataset.pending = 'running';
    const r = await solving(panel, solvingText(model), () => run([...args, ...commonArgs('csv', model)]));
    if (r.status !== 0) {
      csv.dataset.pending = 'true';
      showMessages(panel, r.err, true);
      return;
    }
    csv.href = URL.createObjectURL(new Blob([r.out], { type: types.csv }));
    delete csv.dataset.pending;
    if (csv.isConnected) csv.click();
  });
  link('json', json);
  const code = document.createElement('code');
  code.className = 'command';
  code.textContent = ['quaven', ...args, ...commonArgs('csv', model)]
    .map((w) => (/^[\w.+\-/]+$/.test(w) ? w : `'${w}'`)).join(' ');
  const p = document.createElement('p');
  p.append('Same as: ', code);
  box.append(p);
}

// ------------------------------------------------------------------ plots

const charts = new Map();

// Empties a box of plots, releasing its charts.
function clearPlots(box) {
  for (const area of box.querySelectorAll('.chart-area')) {
    charts.get(area)?.dispose();
    charts.delete(area);
  }
  box.replaceChildren();
}

function chartIn(box, key, label) {
  let el = box.querySelector(`[data-chart="${key}"]`);
  if (!el) {
    el = document.createElement('figure');
    el.className = 'chart';
    el.dataset.chart = key;
    const cap = document.createElement('figcaption');
    cap.textContent = label;
    const area = document.createElement('div');
    area.className = 'chart-area';
    area.setAttribute('role', 'img');
    area.setAttribute('aria-label', label);
    el.append(cap, area);
    box.append(el);
  }
  const area = el.querySelector('.chart-area');
  let chart = echarts.getInstanceByDom(area);
  if (!chart) {
    chart = echarts.init(area, null, { renderer: 'canvas' });
    chart.on('finished', () => { area.dataset.drawn = String((area.dataset.series || '0')); });
    charts.set(area, chart);
  }
  return { chart, area, figure: el };
}

function setChart(target, option, label) {
  const { chart, area, figure } = target;
  delete area.dataset.drawn;
  area.dataset.series = String(option.series.filter((s) => s.data.some((p) => p[1] !== null)).length);
  figure.querySelector('figcaption').textContent = label;
  area.setAttribute('aria-label', label);
  chart.setOption(option, true);
}

const palette = ['#1f5fbf', '#c4371f', '#2f8f3a', '#8a4fbf', '#b07a00', '#00808a'];

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
function drawPattern(box, doc, title) {
  const fullWave = doc.inputs.full_wave === true;
  const dB = fullWave ? 'dBi' : 'dB';
  const kind = fullWave ? 'Full-wave pattern' : 'Pattern';
  const cols = amplitudeColumns(doc.columns);
  const peak = Math.max(...doc.rows.flatMap((r) => cols.map((c) => r[c.column])).filter((v) => v !== null));
  const top = Math.ceil(peak / 10) * 10;
  const floor = top - 50;
  const rectSeries = cols.map((c, k) => ({
    name: c.label, type: 'line', showSymbol: false, color: palette[k], connectNulls: false,
    data: doc.rows.map((r) => [r.angle_deg, r[c.column]]),
  }));
  setChart(chartIn(box, 'rect', title), {
    animation: false,
    legend: { top: 0 },
    tooltip: { trigger: 'axis', valueFormatter: (v) => (v === null ? '—' : `${v.toFixed(2)} ${dB}`) },
    grid: { left: 56, right: 16, top: 36, bottom: 44 },
    xAxis: { type: 'value', name: 'Angle off axis (deg)', nameLocation: 'middle', nameGap: 28, min: -180, max: 180, interval: 45,
      axisLine: { onZero: false } },
    yAxis: { type: 'value', name: fullWave ? 'Realised gain (dBi)' : 'Amplitude (dB)', nameLocation: 'middle', nameGap: 38, min: floor, max: top, interval: 10,
      axisLine: { onZero: false } },
    series: rectSeries,
  }, `${kind}, rectangular: ${title}`);
  // On the polar plot the radius is the level, clipped at the floor of the
  // scale so that nulls stay at the centre.
  const polarSeries = cols.map((c, k) => ({
    name: c.label, type: 'line', coordinateSystem: 'polar', showSymbol: false, color: palette[k],
    data: doc.rows.map((r) => [r[c.column] === null ? floor : Math.max(r[c.column], floor), r.angle_deg]),
  }));
  setChart(chartIn(box, 'polar', title), {
    animation: false,
    legend: { top: 0 },
    polar: { radius: '72%', center: ['50%', '56%'] },
    angleAxis: { type: 'value', min: -180, max: 180, startAngle: 270, clockwise: true, interval: 30,
      axisLabel: { formatter: (v) => (v === -180 ? '' : `${v}°`) } },
    radiusAxis: { type: 'value', min: floor, max: top, interval: 10, axisLabel: { show: false }, axisTick: { show: false },
      axisLine: { show: false } },
    tooltip: { trigger: 'item', formatter: (p) => `${p.seriesName}: ${p.value[1]}°, ${p.value[0].toFixed(2)} ${dB}` },
    series: polarSeries,
  }, `${kind}, polar (rings every 10 dB, ${floor} to ${top} ${dB}): ${title}`);
}

// The pattern of one horn at one frequency, run through `quaven pattern`
// by `model`; `body` holds the full-wave options.
function showPattern(panel, { freq, aperture, slant, model, body = [] }) {
  const box = panel.querySelector('.plots');
  const args = ['pattern', '--freq', String(freq), '--aperture', String(aperture), '--slant', String(slant),
    '--angles', '-180', '180', '1', ...(model === 'full-wave' ? body : []), ...commonArgs('json', model)];
  return solving(panel, solvingText(model), () => {
    const r = run(args);
    if (r.status !== 0) {
      clearPlots(box);
      const p = document.createElement('p');
      p.className = 'error';
      p.textContent = messageLines(r.err).join(' ').replace(/^quaven: /, '');
      box.append(p);
      return;
    }
    const doc = JSON.parse(r.out);
    const u = globals().units;
    const guide = doc.inputs.full_wave === true ? `, feed guide ${fmt(doc.inputs.throat_radius)} ${u}` : '';
    drawPattern(box, doc, `${fmt(freq)} GHz, aperture ${fmt(aperture)} ${u}, slant ${fmt(slant)} ${u}${guide}`);
  });
}

const fmt = (v) => (typeof v === 'number' ? (Number.isFinite(v) ? String(+v.toPrecision(6)) : 'inf') : String(v));
// A number given back to the command line: every digit the JSON holds.
const fmtExact = (v) => String(v);

// ------------------------------------------------------------ the sections

// Runs a section's command line; shows the refusal or the notes; returns the
// parsed JSON or null.
function runSection(panel, form, args, name, model) {
  const r = run([...args, ...commonArgs('json', model)]);
  markInvalid(form, r.status === 0 ? '' : r.err);
  showMessages(panel, r.err, r.status !== 0);
  if (r.status !== 0) {
    panel.querySelector('.table-box').replaceChildren();
    panel.querySelector('.downloads').replaceChildren();
    for (const box of panel.querySelectorAll('.plots, .sweep-plots')) clearPlots(box);
    return null;
  }
  renderDownloads(panel, args, model, name, r.out);
  return JSON.parse(r.out);
}

// A slant radius as the pattern subcommand reads it back.
const slantArg = (v) => (v === null ? 'inf' : v);

function designArgs(form) {
  const args = ['design', '--freq', value(form, 'freq')];
  if (form.to.value === 'gain') {
    args.push('--gain', value(form, 'gain'));
  } else {
    args.push('--beamwidth', value(form, 'beamwidth'), '--level', value(form, 'level'));
    if (form.derive.value) args.push('--derive-from', form.derive.value);
    args.push('--plane', form.plane.value);
  }
  args.push('--s-range', value(form, 's0'), value(form, 's1'), value(form, 's2'));
  return withThroat(form, args);
}

// The throat radius, where the program takes one and the field is filled.
function withThroat(form, args) {
  const throat = form.elements.throat;
  if (throat && !throat.closest('[hidden]') && throat.value.trim()) args.push('--throat', throat.value.trim());
  return args;
}

function design() {
  const panel = document.getElementById('panel-design');
  const form = document.getElementById('design-form');
  const model = modelOf('design');
  return solving(panel, solvingText(model), () => designShown(panel, form, model));
}

function designShown(panel, form, model) {
  const doc = runSection(panel, form, designArgs(form), 'design', model);
  if (!doc) return;
  const u = globals().units;
  const freq = doc.inputs.freq_ghz;
  const pick = rowPattern(panel, doc, model);
  const first = Math.max(0, doc.rows.findIndex((r) => r[`aperture_radius_${u}`] !== null));
  renderTable(panel, doc, { pickLabel: (row) => `Show the patterns of the horn for S = ${show(row.s_cycles, 's_cycles')}`, onPick: pick, picked: first });
  if (doc.rows.length) pick(doc.rows[first]);
  else clearPlots(panel.querySelector('.plots'));
}

// Picking a row of a design or a feed shows the patterns of its horn at the
// run's frequency, by the run's model; a full-wave run's on the body it
// solved. A row with no horn (not a number) clears them.
function rowPattern(panel, doc, model) {
  const u = globals().units;
  const body = model === 'full-wave' ? solvedBody(doc) : [];
  return (row) => {
    const aperture = row[`aperture_radius_${u}`];
    if (aperture === null) {
      clearPlots(panel.querySelector('.plots'));
      return;
    }
    showPattern(panel, { freq: doc.inputs.freq_ghz, aperture, slant: slantArg(row[`slant_radius_${u}`]), model, body });
  };
}

// The full-wave options: the feed guide's radius (the command line requires
// it and says so when it is empty), its length and the wall, where filled.
function fullWaveArgs(form) {
  const args = ['--full-wave'];
  for (const [name, option] of [['throat', '--throat'], ['guide', '--guide-length'], ['wall', '--wall']]) {
    if (value(form, name)) args.push(option, value(form, name));
  }
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
function drawSweep(panel, doc) {
  const box = panel.querySelector('.sweep-plots');
  const fullWave = doc.inputs.full_wave === true;
  const by = fullWave ? ' (full wave)' : '';
  const x = doc.columns[0];
  const line = (c, k, axis = 0) => ({
    name: heading(c).replace(/ \(.*\)$/, '').replace(/^Beamwidth /, ''), type: 'line', color: palette[k], yAxisIndex: axis, symbolSize: 5,
    data: doc.rows.map((r) => [r[x], r[c]]),
  });
  const bw = doc.columns.filter((c) => /^beamwidth_/.test(c));
  const base = {
    animation: false,
    legend: { top: 0, type: 'scroll' },
    tooltip: { trigger: 'axis' },
    grid: { left: 56, right: 56, top: 56, bottom: 44 },
    xAxis: { type: 'value', name: 'Frequency (GHz)', nameLocation: 'middle', nameGap: 28, scale: true },
  };
  setChart(chartIn(box, 'beamwidths', 'Beamwidths'), {
    ...base,
    yAxis: { type: 'value', name: 'Beamwidth (deg)', nameLocation: 'middle', nameGap: 38, scale: true },
    series: bw.map((c, k) => line(c, k)),
  }, `Beamwidths against frequency${by}`);
  const pc = doc.columns.filter((c) => /^phase_centre_/.test(c));
  setChart(chartIn(box, 'gain', 'Gain and phase centres'), {
    ...base,
    yAxis: [{ type: 'value', name: fullWave ? 'Gain (dBi)' : 'Gain (dB)', nameLocation: 'middle', nameGap: 38, scale: true },
      { type: 'value', name: 'Phase centre (λ)', nameLocation: 'middle', nameGap: 38, scale: true }],
    series: [line('gain_db', 0), ...pc.map((c, k) => line(c, k + 1, 1))],
  }, `${fullWave ? 'Gain (of the lossless horn: its directivity)' : 'Gain'} and phase centres against frequency${by}`);
  const old = box.querySelector('[data-chart="s11"]');
  if (!doc.columns.includes('s11_db')) {
    if (old) {
      charts.get(old.querySelector('.chart-area'))?.dispose();
      charts.delete(old.querySelector('.chart-area'));
      old.remove();
    }
    return;
  }
  setChart(chartIn(box, 's11', 'Return loss'), {
    ...base,
    legend: { show: false },
    yAxis: { type: 'value', name: 'S11 (dB)', nameLocation: 'middle', nameGap: 38, scale: true },
    series: [line('s11_db', 1)],
  }, `Return loss S11 at the feed guide's TE11 port against frequency${by}`);
}

function response() {
  const panel = document.getElementById('panel-response');
  const form = document.getElementById('response-form');
  const model = modelOf('response');
  return solving(panel, solvingText(model), () => responseShown(panel, form, model));
}

// The full-wave options of the body a run solved: the guide's length and
// the wall as the run resolved them (their defaults follow the lowest
// frequency of a sweep, not that of a pattern drawn from it).
const solvedBody = (doc) => ['--full-wave', '--throat', fmtExact(doc.inputs.throat_radius),
  '--guide-length', fmtExact(doc.inputs.guide_length), '--wall', fmtExact(doc.inputs.wall)];

function responseShown(panel, form, model) {
  const doc = runSection(panel, form, responseArgs(form, model), 'response', model);
  if (!doc) return;
  const a = value(form, 'aperture');
  const r = value(form, 'slant');
  const body = model === 'full-wave' ? solvedBody(doc) : [];
  const pick = (row) => showPattern(panel, { freq: row.frequency_ghz, aperture: a, slant: r, model, body });
  renderTable(panel, doc, { pickLabel: (row) => `Show the patterns at ${show(row.frequency_ghz, 'frequency_ghz')} GHz`, onPick: pick });
  drawSweep(panel, doc);
  if (doc.rows.length) pick(doc.rows[0]);
  else clearPlots(panel.querySelector('.plots'));
}

// The dish feed needs the `feed` subcommand; without it the section says so.
const feedAvailable = () => /^\s+feed\s/m.test(run(['--help']).out);

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

function feed() {
  const panel = document.getElementById('panel-feed');
  const form = document.getElementById('feed-form');
  const model = modelOf('feed');
  return solving(panel, solvingText(model), () => feedShown(panel, form, model));
}

function feedShown(panel, form, model) {
  const doc = runSection(panel, form, feedArgs(form, model), 'feed', model);
  if (!doc) return;
  const pick = rowPattern(panel, doc, model);
  const best = Math.max(0, doc.rows.findIndex((r) => r.best === true || r.best === 1));
  renderTable(panel, doc, { pickLabel: (row) => `Show the patterns of the feed for S = ${show(row.s_cycles, 's_cycles')}`, onPick: pick, picked: best });
  if (doc.rows.length) pick(doc.rows[best]);
  else clearPlots(panel.querySelector('.plots'));
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
    for (const chart of charts.values()) chart.resize();
    history.replaceState(null, '', `#${tab.id.replace(/^tab-/, '')}`);
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
  const start = document.getElementById(`tab-${location.hash.slice(1)}`);
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

function setup() {
  for (const box of document.querySelectorAll('[data-fields]')) {
    box.append(document.getElementById(box.dataset.fields).content.cloneNode(true));
  }
  choiceFields(document.getElementById('design-form'), 'to');
  choiceFields(document.getElementById('feed-form'), 'horn');
  const sections = [['design-form', design], ['response-form', response], ['feed-form', feed]];
  for (const [id, fn] of sections) {
    document.getElementById(id).addEventListener('submit', (e) => {
      e.preventDefault();
      fn();
    });
  }
  noteTexts = quaven.notes();
  // Fields for options this build of the program may not have.
  for (const [form, command] of [['design-form', 'design'], ['response-form', 'response'], ['feed-form', 'feed']]) {
    const throat = document.querySelector(`#${form} .throat`);
    throat.hidden = !/--throat\b/.test(run([command, '--help']).out);
  }
  // The full-wave model, where this build's command line has it.
  const globalsForm = document.getElementById('globals');
  globalsForm.querySelector('.full-wave-choice').hidden = !/--full-wave\b/.test(run(['response', '--help']).out);
  const syncModel = () => {
    const fullWave = globals().model === 'full-wave';
    for (const el of document.querySelectorAll('.when-full-wave')) el.hidden = !fullWave;
    for (const el of document.querySelectorAll('.when-aperture')) el.hidden = fullWave;
  };
  syncModel();
  const hasFeed = feedAvailable();
  const feedForm = document.getElementById('feed-form');
  feedForm.querySelector('.placeholder').hidden = hasFeed;
  feedForm.querySelector('.feed-fields').hidden = !hasFeed;
  // A change of model or units recomputes every section shown so far.
  globalsForm.addEventListener('change', () => {
    syncModel();
    design();
    response();
    if (hasFeed) feed();
  });
  window.addEventListener('resize', () => { for (const chart of charts.values()) chart.resize(); });
  setupTabs();
  document.getElementById('version').textContent = run(['--version']).out.trim();
  Promise.all([design(), response(), hasFeed && feed()]).then(() => { document.body.dataset.ready = 'true'; });
}

createQuaven().then((module) => {
  quaven = module;
  setup();
}).catch((e) => {
  document.body.prepend(Object.assign(document.createElement('p'), { className: 'error', textContent: `The page could not start: ${e}` }));
});
