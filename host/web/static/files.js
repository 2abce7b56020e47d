// A profile's custom map files (upload, delete) and its logs (its games, the admin log, the host's
// audit).
import * as api from './api.js';
import * as x from './exchange.js';
import { h, field, outcome, confirmAction, gate, may } from './ui.js';
import { readMaps } from './profile.js';

// AddFileRem's data: the name, "|", each byte as a decimal number followed by "/".
export function uploadBody(name, bytes) {
  const parts = [`{"data":${JSON.stringify(`${name}|`).slice(0, -1)}`];
  const chunk = 65536;
  for (let at = 0; at < bytes.length; at += chunk) {
    parts.push(Array.prototype.join.call(bytes.subarray(at, at + chunk), '/') + '/');
  }
  parts.push('"}');
  return new Blob(parts);
}

function fileProblem(file) {
  if (!x.isPlainFileName(file.name) || file.name.includes('..')) return 'the name holds a path';
  if (!x.isWindows1252(file.name)) return 'the name holds a character Windows-1252 lacks';
  if (!/\.bms$/i.test(file.name)) return 'it is not a .bms map file';
  if (file.size === 0) return 'it is empty';
  return '';
}

function uploadRow(profile, file, done) {
  const bar = h('progress', { max: 1, value: 0, 'aria-label': `Upload of ${file.name}` });
  const state = h('span.state', {}, 'waiting');
  const row = h('li', {}, h('span.name', {}, file.name), bar, state);
  row.start = async () => {
    const problem = fileProblem(file);
    if (problem) {
      state.textContent = `not sent: ${problem}`;
      row.classList.add('error');
      return;
    }
    state.textContent = 'sending';
    try {
      const body = uploadBody(file.name, new Uint8Array(await file.arrayBuffer()));
      await api.postWithProgress(`profiles/${profile}/AddFileRem`, body, (sent, total) => {
        bar.max = total;
        bar.value = sent;
      });
      state.textContent = 'uploaded';
      done();
    } catch (error) {
      state.textContent = `not uploaded: ${error.message}`;
      row.classList.add('error');
    }
  };
  return row;
}

function customList(profile, note) {
  const list = h('ul#custom-maps.files');
  list.refresh = async () => {
    const maps = await readMaps(profile);
    const names = [...new Set(maps.catalogue.filter((m) => m.custom).map((m) => m.missionFile))].sort();
    list.replaceChildren(...(names.length ? names.map((name) => {
      const del = h('button.delete', { type: 'button', 'aria-label': `Delete ${name}` }, 'Delete');
      del.addEventListener('click', async () => {
        if (!await confirmAction(`Delete the map file "${name}" (and its .til and .wac) from the game folder?`, `Delete ${name}`)) return;
        try {
          await api.operate(profile, 'DeleteFileRem', x.deleteFileData(name));
          note.show(`${name} is deleted.`);
          await list.refresh();
        } catch (error) {
          note.show(`${name} is not deleted: ${error.message}`, 'error');
        }
      });
      gate('Delete Maps', del);
      return h('li', {}, h('span.name', {}, name), del);
    }) : [h('li', {}, 'No custom map files.')]));
  };
  return list;
}

export function filesView(container, profile) {
  const note = outcome('files-outcome');
  const custom = customList(profile, note);
  const uploads = h('ul.uploads');
  const input = h('input#upload-input.sr', { type: 'file', accept: '.bms', multiple: true });
  const drop = h('div.dropzone#drop-zone', {}, h('p', {}, 'Drop .bms map files here, or '),
    h('label.button', { htmlFor: 'upload-input' }, 'choose files', input));
  const take = async (files) => {
    const rows = [...files].map((file) => uploadRow(profile, file, () => {}));
    uploads.replaceChildren(...rows);
    for (const row of rows) await row.start();
    await custom.refresh();
  };
  input.addEventListener('change', () => take(input.files).then(() => { input.value = ''; }));
  drop.addEventListener('dragover', (e) => { e.preventDefault(); drop.classList.add('over'); });
  drop.addEventListener('dragleave', () => drop.classList.remove('over'));
  drop.addEventListener('drop', (e) => {
    e.preventDefault();
    drop.classList.remove('over');
    if (may('Add New Maps')) take(e.dataTransfer.files);
  });
  gate('Add New Maps', input);
  if (!may('Add New Maps')) drop.classList.add('denied');
  container.append(h('h1', {}, `Map files — profile ${profile}`),
    h('section.panel', { 'aria-label': 'Upload' }, h('h2', {}, 'Upload'), drop, uploads),
    h('section.panel', { 'aria-label': 'Custom map files' }, h('h2', {}, 'Custom map files in the game folder'), custom, note));
  custom.refresh().catch((error) => note.show(`The map files cannot be read: ${error.message}`, 'error'));
  return () => {};
}

const today = () => new Date().toISOString().slice(0, 10);

function dayReader(id, label, read) {
  const day = h(`input#${id}-day`, { type: 'date', value: today() });
  const show = h('button', { type: 'button' }, 'Show');
  const out = h(`pre#${id}-lines.log`, { tabIndex: 0, 'aria-label': label });
  const note = outcome();
  const load = async () => {
    note.show('Reading…', 'busy');
    try {
      out.textContent = await read(day.value);
      note.show('');
    } catch (error) {
      out.textContent = '';
      note.show(`Cannot be read: ${error.message}`, 'error');
    }
  };
  show.addEventListener('click', load);
  load();
  return { day, show, out, note };
}


// A day's games as a timeline: one row per game, its bar placed in the day by its local times.
function gameRows(games, day) {
  const minutes = (text) => {
    if (!text || text.slice(0, 10) !== day) return null;
    return Number(text.slice(11, 13)) * 60 + Number(text.slice(14, 16));
  };
  return games.map((game) => {
    const from = minutes(game.startLocal) ?? 0;
    const to = minutes(game.endLocal) ?? from;
    const bar = h('span.bar', {});
    bar.style.marginLeft = `${(100 * from) / 1440}%`;
    bar.style.width = `${Math.max(0.4, (100 * (to - from)) / 1440)}%`;
    const ending = game.ended === 'on its own' ? 'ended on its own' : game.ended ?? '';
    const when = `${game.startLocal ? game.startLocal.slice(11, 16) : '…'}–${game.endLocal.slice(11, 16)}`;
    return h('li', {},
      h('span.when', {}, when),
      h('span.what', {}, `${game.map} (${x.GAME_TYPES[game.gameType] ?? `type ${game.gameType}`}), ` +
        `${ending}${game.admin ? ` by ${game.admin}` : ''}`),
      h('span.track', { 'aria-hidden': 'true' }, bar));
  });
}

function historyPanel(profile) {
  const day = h('input#history-day', { type: 'date', value: today() });
  const show = h('button#history-show', { type: 'button' }, 'Show');
  const list = h('ol#history-games.timeline', { 'aria-label': 'Games of the day' });
  const note = outcome();
  const load = async () => {
    note.show('Reading…', 'busy');
    try {
      const { games } = await api.get(`profiles/${profile}/history?from=${day.value}&to=${day.value}`);
      list.replaceChildren(...gameRows(games, day.value));
      note.show(games.length ? '' : 'No game ended that day.');
    } catch (error) {
      list.replaceChildren();
      note.show(`Cannot be read: ${error.message}`, 'error');
    }
  };
  show.addEventListener('click', load);
  load();
  return h('section.panel', { 'aria-label': 'Games' }, h('h2', {}, 'Games (match history)'),
    h('div.row', {}, field('Day', day), show), note, list);
}

export function logsView(container, profile) {
  container.append(h('h1', {}, `Logs — profile ${profile}`), historyPanel(profile));
  const admin = dayReader('adminlog', 'Admin log', async (day) => {
    const { lines } = await api.get(`profiles/${profile}/adminlog?day=${encodeURIComponent(day)}`);
    return lines.length ? lines.join('\n') : 'No admin-log lines that day.';
  });
  container.append(h('section.panel', { 'aria-label': 'Admin log' }, h('h2', {}, 'Admin log'),
    h('div.row', {}, field('Day', admin.day), admin.show), admin.note, admin.out));
  if (!may('View Audit')) {
    container.append(h('p.hint', {}, 'The host’s audit needs the privilege "View Audit".'));
    return () => {};
  }
  const audit = dayReader('audit', 'Audit', async (day) => {
    const { entries, truncated } = await api.get(`audit?day=${encodeURIComponent(day)}`);
    const text = entries.map((e) => (typeof e === 'string' ? e : [e.time, e.admin ?? '-', e.method, e.path, e.status, e.outcome,
      e.message ?? ''].join('  '))).join('\n');
    return (text || 'No audit lines that day.') + (truncated ? '\n… (only the last lines are shown)' : '');
  });
  container.append(h('section.panel', { 'aria-label': 'Audit' }, h('h2', {}, 'Host audit'),
    h('div.row', {}, field('Day', audit.day), audit.show), audit.note, audit.out));
  return () => {};
}
