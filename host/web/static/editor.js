// The rotation editor: the maps of a game type, the rotation being built, the score limits,
// and sending it to the server (read back afterwards), or to and from a .mpl file.
import * as api from './api.js';
import * as x from './exchange.js';
import { h, field, outcome, gate, may, plural } from './ui.js';
import { readMaps } from './profile.js';

// The three limit boxes as the window takes them: a number from 1 to the largest, rounded half
// to even; anything else is refused and the box keeps the server's value.
const LIMITS = [
  ['kothLimit', 'King of the hill (minutes)', 60],
  ['killLimit', 'Kill limit', 500],
  ['gameScoreLimit', 'Game score (flagball)', 500],
];
const NO_LIMIT_FIELDS = 'This server build has no score-limit fields.';

function roundHalfEven(n) {
  const r = Math.round(n);
  return Math.abs(n % 1) === 0.5 && r % 2 !== 0 ? r - 1 : r;
}
export function limitProblem(text, label, largest) {
  const n = Number(text.trim().replace(',', '.'));
  if (text.trim() === '' || !Number.isFinite(n)) return `${label}: "${text}" is not a number.`;
  if (n === 0) return `${label}: 0 is refused; the server then uses its own limit.`;
  if (n < 0 || roundHalfEven(n) < 1) return `${label}: must be at least 1.`;
  if (n > largest) return `${label}: ${text} is above the largest value, ${largest}.`;
  return '';
}

const mapText = (m) => `${m.displayName} (${m.missionFile})`;
const sameMaps = (a, b) => a.length === b.length && a.every((m, i) =>
  m.missionFile.toLowerCase() === b[i].missionFile.toLowerCase() && m.gameType === b[i].gameType);

function gameTypeChooser(state, onChange) {
  const shown = h('output#game-type', { 'aria-live': 'polite' }, x.GAME_TYPES[state.type]);
  const step = (d) => {
    state.type = (state.type + d + x.GAME_TYPES.length) % x.GAME_TYPES.length;
    shown.textContent = x.GAME_TYPES[state.type];
    onChange();
  };
  return h('div.gametype', { role: 'group', 'aria-label': 'Game type' },
    h('button#gt-left', { type: 'button', 'aria-label': 'Previous game type', onclick: () => step(-1) }, '◀'),
    shown,
    h('button#gt-right', { type: 'button', 'aria-label': 'Next game type', onclick: () => step(1) }, '▶'));
}

// The rotation as a keyboard- and pointer-operable list: arrows choose, Alt+arrows move,
// Delete removes; a map dragged onto another row takes its place.
function rotationList(state, render) {
  const list = h('ol#rotation.rotation', { role: 'listbox', 'aria-label': 'Current rotation',
    tabIndex: 0, 'aria-describedby': 'rotation-keys' });
  list.addEventListener('keydown', (e) => {
    if (!state.rows.length) return;
    const d = { ArrowUp: -1, ArrowDown: 1 }[e.key];
    if (d && (e.altKey || e.ctrlKey) && state.editable) state.move(state.selected, state.selected + d);
    else if (d) state.select(Math.min(Math.max(state.selected + d, 0), state.rows.length - 1));
    else if ((e.key === 'Delete' || e.key === 'Backspace') && state.editable) state.remove();
    else return;
    e.preventDefault();
  });
  list.addEventListener('pointerdown', (e) => {
    const li = e.target.closest('li');
    if (!li || e.button !== 0) return;
    const from = Number(li.dataset.i);
    state.select(from);
    if (!state.editable) return;
    e.preventDefault();
    let to = from;
    const over = (ev) => {
      const target = document.elementFromPoint(ev.clientX, ev.clientY)?.closest('#rotation li');
      if (!target) return;
      to = Number(target.dataset.i);
      list.querySelectorAll('.drop').forEach((el) => el.classList.remove('drop'));
      if (to !== from) target.classList.add('drop');
    };
    const up = () => {
      document.removeEventListener('pointermove', over);
      if (to !== from) state.move(from, to);
      else render();
    };
    document.addEventListener('pointermove', over);
    document.addEventListener('pointerup', up, { once: true });
  });
  return list;
}

function fillRotation(list, state) {
  list.replaceChildren(...state.rows.map((m, i) => h('li', {
    role: 'option', id: `rot-${i}`, dataset: { i }, 'aria-selected': i === state.selected ? 'true' : 'false',
    className: m.custom ? 'custom' : 'stock',
  }, h('span.pos', {}, `${i + 1}`), h('span.name', {}, m.displayName),
  h('span.file', {}, `${m.missionFile} · ${x.GAME_TYPES[m.gameType] ?? m.gameType}`))));
  list.setAttribute('aria-activedescendant', state.rows.length ? `rot-${state.selected}` : '');
}

function limitFields(maps, editable) {
  const s = maps.settings;
  const none = s.kothLimit === 0 && s.killLimit === 0 && s.gameScoreLimit === 0;
  const inputs = LIMITS.map(([key, label]) => {
    const input = h(`input#limit-${key}`, { type: 'text', inputMode: 'numeric', value: none ? '' : String(s[key]),
      disabled: none || !editable, title: none ? NO_LIMIT_FIELDS : null, 'aria-label': label });
    input.key = key;
    return input;
  });
  const problems = h('p.outcome.error#limit-problems', { role: 'alert' });
  const check = () => {
    const found = none ? [] : LIMITS.map(([, label, largest], i) =>
      limitProblem(inputs[i].value, label, largest)).filter(Boolean);
    problems.textContent = found.join(' ');
    inputs.forEach((input, i) => input.setAttribute('aria-invalid',
      String(!none && !!limitProblem(input.value, LIMITS[i][1], LIMITS[i][2]))));
    return found.length === 0;
  };
  inputs.forEach((input) => input.addEventListener('input', check));
  const values = () => Object.fromEntries(inputs.map((input) =>
    [input.key, none ? 0 : roundHalfEven(Number(input.value.trim().replace(',', '.')))]));
  const box = h('fieldset.limits', {}, h('legend', {}, 'Score limits'),
    LIMITS.map(([, label], i) => field(label, inputs[i])), problems);
  return { box, check, values, inputs };
}

export function rotationEditor(profile, maps) {
  const editable = may('Change Map List');
  const note = outcome('editor-outcome');
  const state = { type: 0, rows: maps.rotation.slice(), selected: 0, editable, catalogue: maps.catalogue };
  const available = h('select#available', { multiple: true, size: 14 });
  const list = rotationList(state, () => render());
  const count = h('p.count#rotation-count', { 'aria-live': 'polite' });
  const limits = limitFields(maps, editable);

  function render() {
    state.selected = Math.min(state.selected, Math.max(state.rows.length - 1, 0));
    fillRotation(list, state);
    count.textContent = `${state.rows.length} / ${maps.settings.mapLimit} maps`;
  }
  function fillAvailable() {
    const shown = state.catalogue.map((m, i) => [m, i]).filter(([m]) => m.gameType === state.type);
    available.replaceChildren(...shown.map(([m, i]) =>
      h('option', { value: i, className: m.custom ? 'custom' : 'stock' }, `${mapText(m)}${m.custom ? ' · custom' : ''}`)));
  }
  // Choosing a row leaves the rows in place (a drag may be starting on one).
  state.select = (i) => {
    state.selected = i;
    for (const li of list.children) li.setAttribute('aria-selected', String(Number(li.dataset.i) === i));
    list.setAttribute('aria-activedescendant', `rot-${i}`);
    list.querySelector(`#rot-${i}`)?.scrollIntoView({ block: 'nearest' });
  };
  state.move = (from, to) => {
    if (to < 0 || to >= state.rows.length || from === to) return;
    const [m] = state.rows.splice(from, 1);
    state.rows.splice(to, 0, m);
    state.selected = to;
    render();
    state.select(to);
  };
  state.remove = () => {
    if (state.rows.length <= 1) return note.show('The rotation must keep at least one map.', 'error');
    state.rows.splice(state.selected, 1);
    return render();
  };
  const add = () => {
    for (const option of available.selectedOptions) {
      if (state.rows.length >= maps.settings.mapLimit) return note.show('The rotation is full: no more maps can be added.', 'error');
      state.rows.push(state.catalogue[Number(option.value)]);
    }
    state.selected = state.rows.length - 1;
    return render();
  };
  available.addEventListener('dblclick', () => editable && add());
  available.addEventListener('keydown', (e) => { if (e.key === 'Enter' && editable) { e.preventDefault(); add(); } });

  const controls = editButtons(state, add, render);
  const send = h('button.primary#send', { type: 'button',
    onclick: () => sendRotation(profile, state, limits, note, render) }, 'Send to server');
  const { exportButton, importControl } = fileButtons(state, note, render);
  gate('Change Map List', ...controls, send, importControl.input);
  if (!editable) list.title = 'Needs the privilege "Change Map List"';

  fillAvailable();
  render();
  const editor = h('section.editor', { 'aria-label': 'Rotation editor' },
    h('div.pane', {}, h('h2', {}, 'Available maps'), gameTypeChooser(state, fillAvailable),
      h('label.sr', { htmlFor: 'available' }, 'Available maps of this game type'), available),
    h('div.pane.middle', { role: 'group', 'aria-label': 'Edit the rotation' }, controls),
    h('div.pane', {}, h('h2', {}, 'Current rotation'), list, count,
      h('small.hint#rotation-keys', {}, 'Drag a map onto another row, or use Alt+↑/↓ to move it and Delete to remove it.'),
      limits.box, h('div.row', {}, send, exportButton, importControl.label), note));
  return editor;
}

function editButtons(state, add, render) {
  const button = (id, label, action) => h(`button#${id}`, { type: 'button', onclick: action }, label);
  return [
    button('add', 'Add ▸', add),
    button('remove', 'Remove', () => state.remove()),
    button('up', 'Move up', () => state.move(state.selected, state.selected - 1)),
    button('down', 'Move down', () => state.move(state.selected, state.selected + 1)),
    button('shuffle', 'Shuffle', () => {
      for (let i = state.rows.length - 1; i > 0; i--) {
        const j = Math.floor(Math.random() * (i + 1));
        [state.rows[i], state.rows[j]] = [state.rows[j], state.rows[i]];
      }
      render();
    }),
  ];
}

async function sendRotation(profile, state, limits, note, render) {
  if (!limits.check()) return note.show('Not sent: correct the score limits first.', 'error');
  const sent = state.rows.slice();
  const wanted = { ...limits.values(), rotation: sent };
  note.show('Sending…', 'busy');
  let reason = '';
  try {
    await api.operate(profile, 'SetMapsRem', await x.buildSetMapsData(wanted));
  } catch (error) {
    if (error.status !== 200) return note.show(`Not sent: ${error.message}`, 'error');
    reason = error.message;
  }
  let back;
  try {
    back = await readMaps(profile);
  } catch (error) {
    return note.show(`Sent, but the server cannot be read back: ${error.message}`, 'error');
  }
  state.rows = back.rotation.slice();
  state.catalogue = back.catalogue;
  render();
  limits.inputs.forEach((input) => { if (!input.disabled) input.value = String(back.settings[input.key]); });
  if (sameMaps(back.rotation, sent)) {
    return note.show(`The server plays the new rotation of ${plural(sent.length, 'map')}.`);
  }
  return note.show(`The server kept a rotation of ${plural(back.rotation.length, 'map')}` +
    `${reason ? `: ${reason}` : ''}. The list shows what it holds.`, 'error');
}

function fileButtons(state, note, render) {
  const exportButton = h('button#export', { type: 'button' }, 'Export .mpl');
  exportButton.addEventListener('click', () => {
    const blob = new Blob([x.toBytes(x.mapListText(state.rows))], { type: 'application/octet-stream' });
    const link = h('a', { href: URL.createObjectURL(blob), download: 'rotation.mpl' });
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 1000);
  });
  const input = h('input#import.sr', { type: 'file', accept: '.mpl' });
  input.addEventListener('change', async () => {
    const file = input.files[0];
    if (!file) return;
    const text = x.fromBytes(new Uint8Array(await file.arrayBuffer()));
    const { found, missing } = x.parseMapList(text, state.catalogue);
    input.value = '';
    if (!found.length) return note.show(`${file.name} names none of the server's maps.`, 'error');
    state.rows = found;
    state.selected = 0;
    render();
    return note.show(`Imported ${plural(found.length, 'map')} from ${file.name}` +
      (missing.length ? `; not among the server's maps: ${missing.join(', ')}` : '') + '.',
    missing.length ? 'error' : 'ok');
  });
  const label = h('label.button', { htmlFor: 'import' }, 'Import .mpl', input);
  return { exportButton, importControl: { input, label } };
}
