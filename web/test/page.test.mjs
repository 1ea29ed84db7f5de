// Drives the built page in headless Chromium and compares what it shows and
// offers for download with the native command line's output for the same
// inputs.
//
//   node page.test.mjs PAGE.html QUAVEN_BINARY [SCREENSHOT_DIR]
//
// Exit status 0 when every check passes, 1 otherwise.
import { execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import puppeteer from 'puppeteer-core';

const [pagePath, quavenBin, shotDir] = process.argv.slice(2);
if (!pagePath || !quavenBin) {
  console.error('usage: node page.test.mjs PAGE.html QUAVEN_BINARY [SCREENSHOT_DIR]');
  process.exit(2);
}

let failures = 0;
let passes = 0;
function check(ok, what, detail = '') {
  if (ok) {
    passes += 1;
  } else {
    failures += 1;
    console.log(`FAIL ${what}${detail ? `: ${detail}` : ''}`);
  }
}

// The native command line: {status, out, err}.
function native(args) {
  try {
    return { status: 0, out: execFileSync(quavenBin, args, { encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe'] }), err: '' };
  } catch (e) {
    return { status: e.status, out: e.stdout, err: e.stderr };
  }
}

// The page runs the same C++ as the command line, but on the browser's C
// library, whose float sine, cosine and arc tangent may round a last bit
// differently from the native one. Values agree to 1e-6 relative (a few
// float units in the last place); everything else must be identical.
const close = (a, b) => (a === null || b === null ? a === b
  : a === b || Math.abs(a - b) <= 1e-6 * Math.max(Math.abs(a), Math.abs(b)) + 1e-12);
const numberPattern = /-?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?/g;
let numbersCompared = 0;
let numbersDiffering = 0;
// A downloaded file against the command line's: identical text between the
// numbers, and each number close.
function sameFile(what, pageText, cliText) {
  const split = (t) => ({ text: (t ?? '').split(numberPattern), numbers: (t ?? '').match(numberPattern) || [] });
  const a = split(pageText);
  const b = split(cliText);
  const textSame = a.text.length === b.text.length && a.text.every((x, i) => x === b.text[i]);
  let allClose = a.numbers.length === b.numbers.length;
  for (let i = 0; allClose && i < a.numbers.length; i++) {
    numbersCompared += 1;
    if (a.numbers[i] !== b.numbers[i]) numbersDiffering += 1;
    allClose = close(Number(a.numbers[i]), Number(b.numbers[i]));
  }
  check(pageText === cliText || (textSame && allClose), `${what} matches the command line's`,
    `${pageText?.length} vs ${cliText.length} characters`);
}

const profile = mkdtempSync(join(tmpdir(), 'quaven-chromium-'));
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  args: [
    ...(process.getuid && process.getuid() === 0 ? ['--no-sandbox'] : []),
    '--headless', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', `--user-data-dir=${profile}`,
  ],
});

const problems = [];
try {
  const page = await browser.newPage();
  page.on('console', (m) => { if (m.type() === 'error') problems.push(`console error: ${m.text()}`); });
  page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
  // The page is one file: any request beyond it is a fault.
  await page.setRequestInterception(true);
  page.on('request', (req) => {
    const url = req.url();
    if (/^(file|data|blob):/.test(url)) req.continue();
    else {
      problems.push(`network request: ${url}`);
      req.abort();
    }
  });
  await (await page.createCDPSession()).send('Browser.setDownloadBehavior', { behavior: 'deny' });
  await page.setViewport({ width: 1280, height: 800 });
  await page.goto(pathToFileURL(resolve(pagePath)).href);
  await page.waitForSelector('body[data-ready]', { timeout: 30000 });

  const setField = async (form, name, text) => {
    await page.$eval(`#${form} [name="${name}"]`, (el, t) => { el.value = t; }, text);
  };
  // The page runs the command line after showing that it is busy; `done`
  // performs an action and waits until every run it started has finished.
  const done = async (action) => {
    const before = await page.evaluate(() => Number(document.body.dataset.runs || 0));
    await action();
    await page.waitForFunction((n) => !document.body.dataset.busy && Number(document.body.dataset.runs || 0) > n,
      { timeout: 60000 }, before);
  };
  const submit = (form) => done(() => page.$eval(`#${form}`, (f) => f.requestSubmit()));
  const tab = (name) => page.click(`#tab-${name}`);
  const model = (m) => done(() => page.click(`#globals input[value="${m}"]`));
  const units = (u) => done(() => page.select('#units', u));
  const pickRow = (panel, i) => done(() => page.click(`#panel-${panel} tbody tr:nth-child(${i + 1}) input[type="radio"]`));
  // Rows of a section's table as {column: value}, from the cells' data.
  const tableRows = (panel) => page.$$eval(`#panel-${panel} tbody tr`, (trs) => trs.map((tr) => {
    const row = Object.fromEntries([...tr.querySelectorAll('td[data-column]')].map((td) => [
      td.dataset.column, td.dataset.value === '' ? null : Number(td.dataset.value)]));
    const notes = tr.querySelector('td.notes');
    if (notes) row.notes = notes.dataset.notes;
    return row;
  }));
  const shownCell = (panel, row, column) => page.$eval(
    `#panel-${panel} tbody tr:nth-child(${row + 1}) td[data-column="${column}"]`, (td) => td.textContent);
  // The files offered for download; a link whose file the page makes when
  // first asked for (the CSV) is clicked first, with downloads refused.
  const downloads = async (panel) => {
    for (const a of await page.$$(`#panel-${panel} a.download[data-pending]`)) await done(() => a.click());
    return page.$$eval(`#panel-${panel} a.download`, (as) => Promise.all(as.map(async (a) => [
      a.download.replace(/.*\./, ''), await (await fetch(a.href)).text()])).then(Object.fromEntries));
  };
  const messages = (panel) => page.$$eval(`#panel-${panel} .messages p`, (ps) => ps.map((p) => p.textContent));
  // Charts of a section that have finished drawing, with the number of
  // series that have data and whether the canvas holds anything drawn.
  const charts = (panel) => page.$$eval(`#panel-${panel} .chart-area`, (areas) => areas.map((a) => {
    const canvas = a.querySelector('canvas');
    let inked = 0;
    if (canvas) {
      const ctx = canvas.getContext('2d');
      const px = ctx.getImageData(0, 0, canvas.width, canvas.height).data;
      for (let i = 0; i < px.length; i += 16) if (px[i + 3] > 0 && (px[i] < 200 || px[i + 1] < 200)) inked += 1;
    }
    return { key: a.closest('[data-chart]').dataset.chart, drawn: Number(a.dataset.drawn || 0), series: Number(a.dataset.series || 0), inked };
  }));
  const settle = () => new Promise((r) => setTimeout(r, 150));

  // Compares the page's rows with the command line's JSON rows, value by
  // value.
  const sameRows = (what, pageRows, json) => {
    const doc = JSON.parse(json);
    check(pageRows.length === doc.rows.length, `${what}: row count`, `${pageRows.length} vs ${doc.rows.length}`);
    doc.rows.forEach((row, i) => {
      for (const c of doc.columns) {
        const a = pageRows[i]?.[c];
        const b = row[c];
        if (c === 'notes') check(a === b.join(';'), `${what}: row ${i + 1} notes`, `page ${a}, command line ${b}`);
        else check(close(a, b), `${what}: row ${i + 1} ${c}`, `page ${a}, command line ${b}`);
      }
    });
  };
  const chartsDrawn = async (panel, keys, minSeries = 2) => {
    await page.waitForFunction((p, n) => document.querySelectorAll(`#panel-${p} .chart-area[data-drawn]`).length >= n,
      { timeout: 10000 }, panel, keys.length).catch(() => {});
    const cs = await charts(panel);
    for (const key of keys) {
      const c = cs.find((x) => x.key === key);
      check(c && c.drawn >= minSeries && c.series >= minSeries && c.inked > 200, `${panel}: ${key} plot drawn`, JSON.stringify(c));
    }
  };

  // ---- design: the README's horn, legacy
  const designArgs = ['design', '--freq', '10', '--beamwidth', '30', '--level', '3', '--plane', 'E',
    '--s-range', '0.1', '0.5', '0.1', '--units', 'in'];
  await tab('design');
  for (const [n, v] of [['freq', '10'], ['beamwidth', '30'], ['level', '3'], ['s0', '0.1'], ['s1', '0.5'], ['s2', '0.1']]) {
    await setField('design-form', n, v);
  }
  await submit('design-form');
  sameRows('design', await tableRows('design'), native([...designArgs, '--format', 'json']).out);
  const rows = await tableRows('design');
  const s02 = rows.findIndex((r) => Math.abs(r.s_cycles - 0.2) < 1e-6);
  check(s02 >= 0 && await shownCell('design', s02, 'aperture_radius_in') === '1.1686', 'design: aperture 1.1686 in at S = 0.2');
  check(s02 >= 0 && await shownCell('design', s02, 'slant_radius_in') === '2.8927', 'design: slant 2.8927 in at S = 0.2');
  const files = await downloads('design');
  sameFile('design: CSV', files.csv, native([...designArgs, '--format', 'csv']).out);
  sameFile('design: JSON', files.json, native([...designArgs, '--format', 'json']).out);
  await pickRow('design', s02);
  const caption = await page.$eval('#panel-design [data-chart="rect"] figcaption', (f) => f.textContent);
  check(/aperture 1\.1686\d* in, slant 2\.8927\d* in/.test(caption), 'design: picked row drawn', caption);
  await chartsDrawn('design', ['rect', 'polar']);

  // ---- the same design in exact mode
  await model('exact');
  sameRows('design --exact', await tableRows('design'), native([...designArgs, '--exact', '--format', 'json']).out);
  sameFile('design --exact: CSV', (await downloads('design')).csv, native([...designArgs, '--exact', '--format', 'csv']).out);
  await chartsDrawn('design', ['rect', 'polar']);
  await model('legacy');

  // ---- centimetres
  await units('cm');
  sameRows('design --units cm', await tableRows('design'),
    native([...designArgs.map((a) => (a === 'in' ? 'cm' : a)), '--format', 'json']).out);
  await units('in');

  // ---- a bad input: the command line's message, the page still works
  await setField('design-form', 'freq', 'ten');
  await submit('design-form');
  const refusal = native([...designArgs.map((a) => (a === '10' ? 'ten' : a)), '--format', 'json']);
  const expected = refusal.err.split('\n')[0].replace(/^quaven: /, '');
  check(refusal.status === 2 && (await messages('design'))[0] === expected, 'bad input: the command line message shown',
    `${JSON.stringify(await messages('design'))} vs ${expected}`);
  check(await page.$eval('#design-form [name="freq"]', (el) => el.getAttribute('aria-invalid') === 'true'
    && document.activeElement === el), 'bad input: field marked and focused');
  check((await tableRows('design')).length === 0 && (await charts('design')).length === 0, 'bad input: no stale table or plots');
  await setField('design-form', 'freq', '10');
  await submit('design-form');
  check((await tableRows('design')).length === 5 && (await messages('design')).length === 0, 'bad input: page recovers');

  // ---- notes beside the rows they concern, where the program gives notes
  const notedArgs = designArgs.map((a) => (a === '30' ? '80' : a));
  const noted = native([...notedArgs, '--format', 'json']).out;
  if (JSON.parse(noted).columns.includes('notes')) {
    await setField('design-form', 'beamwidth', '80');
    await submit('design-form');
    sameRows('design with notes', await tableRows('design'), noted);
    const texts = await page.$$eval('#panel-design .note-legend dd', (dds) => dds.map((dd) => [dd.dataset.note, dd.textContent]));
    check(texts.length > 0 && texts.every(([k, t]) => t.length > 20 && t !== k.replace(/_/g, ' ')),
      'notes: explained in words beside their rows', JSON.stringify(texts.slice(0, 2)));
    await setField('design-form', 'beamwidth', '30');
    await submit('design-form');
  }

  // ---- keyboard: arrows move between the tabs
  await page.focus('#tab-design');
  await page.keyboard.press('ArrowRight');
  check(await page.$eval('#tab-response', (t) => t.getAttribute('aria-selected') === 'true' && document.activeElement === t)
    && await page.$eval('#panel-response', (p) => !p.hidden), 'keyboard: ArrowRight selects the next tab');

  // ---- response of the README's 1.2 by 3 inch horn
  const responseArgs = ['response', '--aperture', '1.2', '--slant', '3', '--freq-range', '8', '12', '0.5', '--level', '3', '--units', 'in'];
  // A horn no cone can have, where the program refuses it.
  const badHorn = native(responseArgs.map((a, i) => (responseArgs[i - 1] === '--slant' ? '1' : a)));
  if (badHorn.status !== 0) {
    await setField('response-form', 'slant', '1');
    await submit('response-form');
    const shown = await messages('response');
    check(shown[0] === badHorn.err.split('\n')[0].replace(/^quaven: /, ''), 'bad horn: the command line message shown',
      JSON.stringify(shown));
    await setField('response-form', 'slant', '3');
  }
  await submit('response-form');
  sameRows('response', await tableRows('response'), native([...responseArgs, '--format', 'json']).out);
  const rfiles = await downloads('response');
  sameFile('response: CSV', rfiles.csv, native([...responseArgs, '--format', 'csv']).out);
  sameFile('response: JSON', rfiles.json, native([...responseArgs, '--format', 'json']).out);
  await chartsDrawn('response', ['beamwidths', 'gain', 'rect', 'polar']);

  // ---- full wave: the README's reference horn (feed guide 0.45 in, 1.5 mm
  // wall) at 10 GHz, where the program has the solver
  const hasFullWave = /--full-wave\b/.test(native(['response', '--help']).out);
  if (hasFullWave) {
    const fwArgs = ['response', '--aperture', '1.2', '--slant', '3', '--freq-range', '10', '10', '1', '--level', '3',
      '--full-wave', '--throat', '0.45', '--wall', '0.0590551', '--units', 'in'];
    await setField('response-form', 'f0', '10');
    await setField('response-form', 'f1', '10');
    await setField('response-form', 'f2', '1');
    await setField('response-form', 'wall', '0.0590551');
    // Without the feed guide's radius the command line refuses, and the
    // page says so at the field.
    await setField('response-form', 'throat', '');
    await model('full-wave');
    const noThroat = native(fwArgs.filter((a, i) => a !== '--throat' && fwArgs[i - 1] !== '--throat'));
    check(noThroat.status === 2 && (await messages('response'))[0] === noThroat.err.split('\n')[0].replace(/^quaven: /, '')
      && await page.$eval('#response-form [name="throat"]', (el) => el.getAttribute('aria-invalid') === 'true'),
    'full wave without a throat: the command line message at the field', JSON.stringify(await messages('response')));
    await setField('response-form', 'throat', '0.45');
    const t0 = Date.now();
    await submit('response-form');
    const seconds = (Date.now() - t0) / 1000;
    sameRows('response --full-wave', await tableRows('response'), native([...fwArgs, '--format', 'json']).out);
    sameFile('response --full-wave: CSV', (await downloads('response')).csv, native([...fwArgs, '--format', 'csv']).out);
    check(await page.$eval('#panel-response th[data-column="s11_db"]', (th) => th.textContent) === 'S11 (dB)',
      'full wave: the S11 column shown');
    await chartsDrawn('response', ['beamwidths', 'gain', 'rect', 'polar']);
    await chartsDrawn('response', ['s11'], 1);
    const captions = await page.$$eval('#panel-response figcaption', (fs) => fs.map((f) => f.textContent));
    check(captions.length === 5 && captions.every((c) => /full.wave/i.test(c)), 'full wave: every plot says so',
      JSON.stringify(captions));
    console.log(`full-wave response of one frequency and its pattern in the page: ${seconds.toFixed(2)} s`);
    if (shotDir) {
      // The picture for the README: the same horn over a band, its pattern
      // at 10 GHz.
      for (const [n, v] of [['f0', '8'], ['f1', '12'], ['f2', '0.5']]) await setField('response-form', n, v);
      await submit('response-form');
      await pickRow('response', 4);
      await settle();
      await page.screenshot({ path: join(shotDir, 'response-full-wave-1280.png'), fullPage: true });
    }
    await model('legacy');
    for (const [n, v] of [['f0', '8'], ['f1', '12'], ['f2', '0.5'], ['wall', ''], ['throat', '']]) {
      await setField('response-form', n, v);
    }
    await submit('response-form');
  } else {
    console.log('note: the program has no full-wave model');
  }

  // ---- the dish feed, when the program has it
  await tab('feed');
  const hasFeed = /^\s+feed\s/m.test(native(['--help']).out);
  const placeholder = await page.$eval('#feed-form .placeholder', (p) => !p.hidden);
  check(placeholder === !hasFeed, 'feed: section matches the program', `placeholder ${placeholder}, feed ${hasFeed}`);
  if (hasFeed) {
    const feedArgs = ['feed', '--freq', '10', '--f-over-d', '0.4'];
    await setField('feed-form', 'freq', '10');
    await setField('feed-form', 'fd', '0.4');
    await submit('feed-form');
    sameRows('feed', await tableRows('feed'), native([...feedArgs, '--units', 'in', '--format', 'json']).out);
    sameFile('feed: CSV', (await downloads('feed')).csv, native([...feedArgs, '--units', 'in', '--format', 'csv']).out);
    await chartsDrawn('feed', ['rect', 'polar']);
  }
  // ---- the reference horn judged on the dish in full wave; a full-wave
  // design without its range of S is refused
  if (hasFeed && hasFullWave) {
    const fwFeed = ['feed', '--freq', '10', '--f-over-d', '0.4', '--full-wave', '--throat', '0.45', '--wall', '0.0590551',
      '--units', 'in'];
    const judged = [...fwFeed, '--aperture', '1.2', '--slant', '3'];
    await setField('feed-form', 'throat', '0.45');
    await setField('feed-form', 'wall', '0.0590551');
    await model('full-wave');
    const noS = native(fwFeed);
    check(noS.status === 2 && (await messages('feed'))[0] === noS.err.split('\n')[0].replace(/^quaven: /, '')
      && await page.$eval('#feed-form [name="s0"]', (el) => el.getAttribute('aria-invalid') === 'true'),
    'feed: full-wave design without S, the command line message at the field', JSON.stringify(await messages('feed')));
    await page.click('#feed-form input[name="horn"][value="judge"]');
    const t0 = Date.now();
    await submit('feed-form');
    console.log(`full-wave feed judged, with its pattern, in the page: ${((Date.now() - t0) / 1000).toFixed(2)} s`);
    sameRows('feed --full-wave', await tableRows('feed'), native([...judged, '--format', 'json']).out);
    sameFile('feed --full-wave: CSV', (await downloads('feed')).csv, native([...judged, '--format', 'csv']).out);
    check(await page.$eval('#panel-feed th[data-column="s11_db"]', (th) => th.textContent) === 'S11 (dB)',
      'feed, full wave: the S11 column shown');
    await chartsDrawn('feed', ['rect', 'polar']);
    const captions = await page.$$eval('#panel-feed figcaption', (fs) => fs.map((f) => f.textContent));
    check(captions.length === 2 && captions.every((c) => /full.wave/i.test(c)), 'feed, full wave: every plot says so',
      JSON.stringify(captions));
    if (shotDir) {
      await settle();
      await page.screenshot({ path: join(shotDir, 'feed-full-wave-1280.png'), fullPage: true });
    }
    await model('legacy');
    await page.click('#feed-form input[name="horn"][value="design"]');
    await submit('feed-form');
  }
  if (!hasFeed) {
    console.log('note: the program has no feed subcommand; the feed section shows its placeholder');
  }

  // ---- screenshots of each section at a desktop and a phone width, the
  // README's horn picked in the design
  if (shotDir) {
    await tab('design');
    await pickRow('design', s02);
    for (const [w, h] of [[1280, 800], [390, 844]]) {
      await page.setViewport({ width: w, height: h });
      for (const name of ['design', 'response', 'feed']) {
        await tab(name);
        await settle();
        await page.screenshot({ path: join(shotDir, `${name}-${w}.png`), fullPage: true });
      }
    }
    await tab('design');
  }
  await settle();
  for (const p of problems) check(false, p);
} catch (e) {
  check(false, 'the test ran to its end', e.stack);
} finally {
  await browser.close();
  rmSync(profile, { recursive: true, force: true });
}

console.log(`numbers in the downloads: ${numbersCompared - numbersDiffering} of ${numbersCompared} identical in text, the rest within 1e-6`);
console.log(`${passes} passed, ${failures} failed`);
process.exit(failures ? 1 : 0);
