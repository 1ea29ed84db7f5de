// The page's plots: ECharts line charts drawn on canvas, in the light or
// dark scheme the browser prefers (and redrawn when that changes), each with
// links that download it as PNG and SVG. A chart is kept as a function
// from a layout to its ECharts option, so that it can be drawn again in the
// other scheme, or larger and titled for a download.
import * as echarts from 'echarts/core';
import { LineChart } from 'echarts/charts';
import { GridComponent, PolarComponent, LegendComponent, TooltipComponent, TitleComponent } from 'echarts/components';
import { CanvasRenderer, SVGRenderer } from 'echarts/renderers';
import { lazyLink } from './links.js';

echarts.use([LineChart, GridComponent, PolarComponent, LegendComponent, TooltipComponent, TitleComponent,
  CanvasRenderer, SVGRenderer]);

const darkScheme = matchMedia('(prefers-color-scheme: dark)');
const dark = () => darkScheme.matches;

// Series colours, distinct from each other and readable on either ground.
const palettes = {
  light: ['#1f5fbf', '#c4371f', '#2f8f3a', '#8a4fbf', '#b07a00', '#00808a'],
  dark: ['#7aaefc', '#ff8c73', '#6fcf7c', '#c9a2ff', '#f2b84b', '#4fd0d8'],
};
export const colour = (k) => (dark() ? palettes.dark : palettes.light)[k % 6];

// The page's own ground and ink, for the pictures downloaded.
const cssColour = (name) => getComputedStyle(document.documentElement).getPropertyValue(name).trim();

// area element -> {chart, build, label, name}
const shown = new Map();

// The layout a chart's option is built for: `top` pixels kept free above
// it (for a title), in a picture `width` by `height` pixels; on the page,
// its box (0 by 0 while its section is hidden).
const pageLayout = (area) => ({ top: 0, height: area.clientHeight, width: area.clientWidth });

// The height of a legend of `labels` laid out in rows `width` pixels wide
// (ECharts does not move the plot down for a legend that wraps).
export function legendHeight(labels, width) {
  if (!width) return 24;
  const items = labels.map((l) => 36 + 6.2 * l.length);
  let rows = 1;
  let used = 0;
  for (const w of items) {
    if (used && used + w > width - 20) {
      rows += 1;
      used = 0;
    }
    used += w;
  }
  return 24 * rows;
}

function init(area) {
  const chart = echarts.init(area, dark() ? 'dark' : null, { renderer: 'canvas' });
  chart.on('finished', () => { area.dataset.drawn = area.dataset.series || '0'; });
  return chart;
}

// Draws a chart whose box is shown; one in a hidden section is drawn when
// the section is shown (see resizeCharts), which spares the page the work
// of drawing every section's plots at once.
function draw(entry) {
  entry.width = entry.area.clientWidth;  // 0: to be drawn when shown
  if (!entry.width) return;
  entry.chart.setOption({ backgroundColor: 'transparent', ...entry.build(pageLayout(entry.area)) }, true);
}

// Empties a box of plots, releasing its charts and their downloads.
export function clearPlots(box) {
  for (const area of box.querySelectorAll('.chart-area')) removeChart(area);
  box.replaceChildren();
}

function removeChart(area) {
  shown.get(area)?.chart.dispose();
  shown.delete(area);
  for (const a of area.closest('figure')?.querySelectorAll('a[href^="blob:"]') ?? []) URL.revokeObjectURL(a.href);
}

// Removes the chart `key` from a box, if it is there.
export function dropChart(box, key) {
  const figure = box.querySelector(`[data-chart="${key}"]`);
  if (!figure) return;
  removeChart(figure.querySelector('.chart-area'));
  figure.remove();
}

// The figure `key` in `box` (made on first use, in the order asked), drawn
// from `build(layout)`, captioned `label`; `name` names its downloads.
export function setChart(box, key, name, label, build) {
  let figure = box.querySelector(`[data-chart="${key}"]`);
  if (!figure) {
    figure = document.createElement('figure');
    figure.className = 'chart';
    figure.dataset.chart = key;
    const cap = document.createElement('figcaption');
    const area = document.createElement('div');
    area.className = 'chart-area';
    area.setAttribute('role', 'img');
    const files = document.createElement('p');
    files.className = 'chart-files';
    figure.append(cap, area, files);
    box.append(figure);
  }
  const area = figure.querySelector('.chart-area');
  const entry = shown.get(area) ?? { chart: init(area), area };
  Object.assign(entry, { build, label, name });
  shown.set(area, entry);
  const option = build(pageLayout(area));
  delete area.dataset.drawn;
  area.dataset.series = String(option.series.filter((s) => s.data.some((p) => p[1] !== null)).length);
  figure.querySelector('figcaption').textContent = label;
  area.setAttribute('aria-label', label);
  draw(entry);
  figureFiles(figure.querySelector('.chart-files'), entry);
}

// The PNG and SVG links of a figure, made when first clicked.
function figureFiles(box, entry) {
  for (const a of box.querySelectorAll('a[href^="blob:"]')) URL.revokeObjectURL(a.href);
  box.replaceChildren('Download the plot: ');
  for (const type of ['png', 'svg']) {
    const a = document.createElement('a');
    a.className = `download ${type}`;
    a.download = `${entry.name}.${type}`;
    a.textContent = type.toUpperCase();
    a.setAttribute('aria-label', `Download this plot as ${type.toUpperCase()}: ${entry.label}`);
    lazyLink(a, () => picture(entry, type));
    box.append(a);
  }
}

// The chart as a picture of its own, 900 pixels wide, titled with its
// caption, on the page's ground.
const pictureWidth = 900;
const plotHeight = 560;
async function picture(entry, type) {
  // The caption's lines at about 7 pixels a character.
  const lines = Math.ceil((entry.label.length * 7) / (pictureWidth - 40));
  const top = 12 + 18 * lines;
  const layout = { top, height: plotHeight + top, width: pictureWidth };
  const option = {
    ...entry.build(layout),
    animation: false,
    backgroundColor: cssColour('--paper'),
    title: {
      text: entry.label, left: 'center', top: 8,
      textStyle: { fontSize: 13, fontWeight: 'normal', width: pictureWidth - 40, overflow: 'break', lineHeight: 18,
        color: cssColour('--muted') },
    },
  };
  const theme = dark() ? 'dark' : null;
  if (type === 'svg') {
    const chart = echarts.init(null, theme, { renderer: 'svg', ssr: true, width: pictureWidth, height: layout.height });
    chart.setOption(option);
    const text = chart.renderToSVGString();
    chart.dispose();
    return new Blob([text], { type: 'image/svg+xml' });
  }
  const holder = document.createElement('div');
  const chart = echarts.init(holder, theme, { renderer: 'canvas', width: pictureWidth, height: layout.height,
    devicePixelRatio: 2 });
  chart.setOption(option);
  const url = chart.getDataURL({ type: 'png', pixelRatio: 2, backgroundColor: option.backgroundColor });
  chart.dispose();
  return (await fetch(url)).blob();
}

// The charts fitted to their boxes again, and laid out again where a
// legend now takes another number of rows.
export function resizeCharts() {
  for (const entry of shown.values()) {
    const width = entry.area.clientWidth;
    if (!width) continue;  // hidden: kept as it is
    entry.chart.resize();
    if (width !== entry.width) draw(entry);
  }
}

// The scheme changed: every chart again in the other theme and colours.
darkScheme.addEventListener('change', () => {
  for (const [area, entry] of shown) {
    entry.chart.dispose();
    entry.chart = init(area);
    delete area.dataset.drawn;
    draw(entry);
  }
});
