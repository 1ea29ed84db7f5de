// The page's state as a link and as what the browser remembers: the tab,
// the settings at the top, each section's fields as they were when it last
// ran, and the row picked in each table. Opening a link (or the page again)
// fills the forms with it and runs them, so that it shows the same results.
//
// In the link it is the fragment, as form-encoded pairs:
//   #tab=feed&model=full-wave&units=in&feed.freq=10&feed.fd=0.4&feed.pick=2
// A bare fragment naming a tab (#feed, as older links have it) selects it.

const storageKey = 'quaven.page';

// The named fields of a form and their values: the checked button of a
// radio group, the text of a box, the chosen option of a list.
export function formValues(form) {
  const values = {};
  for (const el of form.elements) {
    if (!el.name || el.type === 'submit' || el.type === 'button' || el.name in values) continue;
    values[el.name] = form.elements.namedItem(el.name).value;
  }
  return values;
}

// Fills a form from `values`; a value a field cannot take (an option a list
// does not have) leaves the field as it was. Unknown names are ignored.
export function fillForm(form, values) {
  for (const [name, v] of Object.entries(values ?? {})) {
    // Only the form's fields (form.elements[name] would also reach the
    // collection's own `length` or `item`).
    const field = form.elements.namedItem(name);
    if (!(field instanceof Element || field instanceof RadioNodeList) || typeof v !== 'string') continue;
    const before = field.value;
    field.value = v;
    if (field.value !== v) field.value = before;
  }
}

// {tab, model, units, sections: {name: {field: value}}, picks: {name: row}}
export function encode(state) {
  const p = new URLSearchParams();
  for (const key of ['tab', 'model', 'units']) if (state[key]) p.set(key, state[key]);
  for (const [section, values] of Object.entries(state.sections ?? {})) {
    for (const [name, v] of Object.entries(values)) p.set(`${section}.${name}`, v);
  }
  for (const [section, row] of Object.entries(state.picks ?? {})) p.set(`${section}.pick`, String(row));
  return p.toString();
}

// Names in a link are the sender's: the maps they key have no prototype,
// so that `__proto__` is a name like any other.
const map = () => Object.create(null);

export function decode(text) {
  const state = { sections: map(), picks: map() };
  const p = new URLSearchParams(text);
  for (const [key, v] of p) {
    const dot = key.indexOf('.');
    if (dot < 0) {
      if (['tab', 'model', 'units'].includes(key)) state[key] = v;
      continue;
    }
    const section = key.slice(0, dot);
    const name = key.slice(dot + 1);
    if (name === 'pick') {
      if (/^\d{1,6}$/.test(v)) state.picks[section] = Number(v);
    } else {
      (state.sections[section] ??= map())[name] = v;
    }
  }
  return state;
}

// The state the page opens with: the link's, else the one remembered, else
// none (the forms' own defaults). A bare tab name in the link selects that
// tab over what is remembered.
export function initialState() {
  const hash = location.hash.slice(1);
  if (hash.includes('=')) return decode(hash);
  let state = { sections: map(), picks: map() };
  try {
    const kept = localStorage.getItem(storageKey);
    if (kept) state = decode(kept);
  } catch {
    // Storage refused (a private window, a policy): the defaults.
  }
  if (/^[a-z-]+$/.test(hash)) state.tab = hash;
  return state;
}

// Puts the state in the address (without a new history entry) and
// remembers it.
export function saveState(state) {
  const text = encode(state);
  history.replaceState(null, '', `#${text}`);
  try {
    localStorage.setItem(storageKey, text);
  } catch {
    // Nothing to remember it in: the link still holds it.
  }
}
