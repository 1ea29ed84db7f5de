// How the page shows what the command line writes: column names in words,
// figures to the places and in the units the command line's own tables use,
// and its messages in the words of the form beside them. Nothing here
// computes a figure; a fraction shown as a percentage is only scaled for
// display, as the command line's table does.

const unitWords = { in: 'in', cm: 'cm', deg: 'deg', db: 'dB', ghz: 'GHz', wl: 'λ', cycles: 'cycles' };

// The efficiencies of a feed are fractions in CSV and JSON and per cent in
// the command line's table, and here.
export const isPercent = (name) => /efficiency/.test(name);

// Column names as the command line writes them, in words.
export function heading(name) {
  const special = {
    f_over_d: 'f/D', s11_db: 'S11 (dB)', s11_re: 'S11 real', s11_im: 'S11 imag.', aperture_wavelengths: 'Aperture (λ)',
    beamwidth_band_low_deg: 'Beamwidth at band low (deg)', beamwidth_band_high_deg: 'Beamwidth at band high (deg)',
    gain_band_low_db: 'Gain at band low (dB)', gain_band_high_db: 'Gain at band high (dB)',
    phase_centre_e_spread_wl: 'E phase centre spread (λ)', phase_centre_h_spread_wl: 'H phase centre spread (λ)',
    s11_band_worst_db: 'Worst S11 in band (dB)',
  };
  if (special[name]) return special[name];
  const unit = (name.match(/_(in|cm|deg|db|ghz|wl|cycles)$/) || [])[1];
  let words = unit ? name.slice(0, -unit.length - 1) : name;
  words = words
    .replace(/^s$/, 'S')
    .replace(/_e(?=_|$)/g, ' E').replace(/_h(?=_|$)/g, ' H').replace(/_45(?=_|$)/g, ' 45°')
    .replace(/_(\d+(?:\.\d+)?)db/g, ' $1 dB')
    .replace(/_/g, ' ');
  words = words.charAt(0).toUpperCase() + words.slice(1);
  if (isPercent(name)) return `${words} (%)`;
  return unit ? `${words} (${unitWords[unit]})` : words;
}

// Decimal places for display, by what a column holds and which command
// wrote it: as the command line's tables show them.
function places(name, command) {
  if (isPercent(name)) return 1;
  if (/^s11_(re|im)$/.test(name)) return 4;  // a reflection coefficient, |S11| < 1
  if (name === 'f_over_d') return 2;
  if (/^s_cycles$|phase_centre|_wl$|wavelengths/.test(name)) return 3;
  if (command === 'feed' && /_(in|cm)$/.test(name)) return 3;
  if (/_(in|cm)$/.test(name) || /^frequency/.test(name)) return 4;
  if (command === 'feed' && /_db$/.test(name)) return 1;
  if (/^beamwidth_band_/.test(name)) return 2;  // as the design table shows the band edges
  if (/gain|_db$/.test(name)) return 2;
  return 1;
}

export function show(v, name, command = '') {
  if (name === 'best') return v ? 'best' : '';
  if (v === null || v === undefined) return '—';
  if (typeof v === 'number') return (isPercent(name) ? 100 * v : v).toFixed(places(name, command));
  if (Array.isArray(v)) return v.join('; ');
  return String(v);
}

// A number as the page writes it in a caption.
export const fmt = (v) => (typeof v === 'number' ? (Number.isFinite(v) ? String(+v.toPrecision(6)) : 'inf') : String(v));

// Standard error as the page shows it: the message lines, without the usage
// text meant for a terminal.
export function messageLines(err) {
  return err.split('\n').filter((l) => l && !/^Usage: |^ {6,}|^Run 'quaven/.test(l)).map((l) => l.replace(/^quaven: /, ''));
}

// Options that are settings at the top of the page rather than fields.
const settingWords = { '--full-wave': 'full wave', '--exact': 'the exact model', '--units': 'units' };

// A message of the command line in the form's words: each option it names
// becomes the name of the field shown for it (its data-name), or of the
// setting; `--freq: cannot read 'ten' as a finite number` beside the
// frequency field reads "Frequency: cannot read 'ten' as a finite number".
export function inFormWords(line, form) {
  const words = line.replace(/--[a-z][a-z-]*/g, (option) => {
    const field = [...form.querySelectorAll(`[data-option="${option}"]`)].find((el) => !el.closest('[hidden]'));
    return field?.dataset.name ?? settingWords[option] ?? option;
  });
  return words.charAt(0).toUpperCase() + words.slice(1);
}
