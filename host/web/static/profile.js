// One profile's rotation editor, game commands and settings.
import * as api from './api.js';
import * as x from './exchange.js';
import { h, field, outcome, confirmAction, gate, may, plural } from './ui.js';
import { poll, readStatus } from './servers.js';
import { rotationEditor } from './editor.js';

// What the server holds now: the GetMapsRem answer, decoded.
export async function readMaps(profile) {
  const answer = await api.get(`profiles/${profile}/GetMapsRem`);
  return x.parseMapsAnswer(answer.result);
}

// A line under the view's title with the server's game, kept current.
function liveStatus(profile) {
  const line = h('p.live', { role: 'status' }, 'Reading the server…');
  line.stop = poll(async () => {
    const { status, problem } = await readStatus({ index: profile });
    if (problem || !status.running || status.state === undefined) {
      line.textContent = `Server ${problem || status.message || 'stopped'}`;
      return;
    }
    line.textContent = `${status.stateName} · ${status.map || 'no map'} · next ${status.nextMap ?? '—'}`;
  });
  return line;
}

function frame(container, profile, title) {
  const live = liveStatus(profile);
  container.append(h('h1', {}, `${title} — profile ${profile}`), live);
  return live;
}

function loadInto(container, profile, build) {
  const note = outcome();
  container.append(note);
  note.show('Reading the server’s maps…', 'busy');
  readMaps(profile).then((maps) => {
    note.remove();
    build(maps);
  }, (error) => note.show(`The maps cannot be read: ${error.message}`, 'error'));
}

export function rotationView(container, profile) {
  const live = frame(container, profile, 'Rotation');
  loadInto(container, profile, (maps) => container.append(rotationEditor(profile, maps)));
  return live.stop;
}

// Play Next: the row (counted from 0, as the server counts) that plays after the current game.
function playNextForm(profile, maps, note) {
  const choice = h('select#play-row', {}, maps.rotation.map((m, i) =>
    h('option', { value: i }, `${i + 1}. ${m.displayName} (${x.GAME_TYPES[m.gameType] ?? m.gameType})`)));
  const play = h('button#play-next', { type: 'button' }, 'Play next');
  play.addEventListener('click', async () => {
    const row = Number(choice.value);
    const map = maps.rotation[row];
    if (!await confirmAction(`Play "${map.displayName}" after the current game?`, 'Play next')) return;
    note.show('Sending…', 'busy');
    try {
      await api.operate(profile, 'PlayMapRem', row);
      const { status } = await readStatus({ index: profile });
      note.show(`The server plays "${status?.nextMap ?? map.displayName}" next.`);
    } catch (error) {
      note.show(`Not done: ${error.message}`, 'error');
    }
  });
  gate('Skip Maps', choice, play);
  return h('div.row', {}, field('Rotation row', choice), play);
}

// Sends a skip or score and reads the server's state until the game ended (at most 5 s).
async function endGame(profile, operation, note) {
  const before = (await readStatus({ index: profile })).status;
  await api.operate(profile, operation);
  for (let i = 0; i < 25; i++) {
    const { status } = await readStatus({ index: profile });
    if (status?.running && (status.state !== before?.state || status.map !== before?.map)) {
      note.show(`Done: the server is now "${status.stateName}" on ${status.map || 'no map'}.`);
      return;
    }
    await new Promise((resolve) => setTimeout(resolve, 200));
  }
  note.show('The command was sent but the server did not end the game within 5 s.', 'error');
}

export function gameView(container, profile) {
  const live = frame(container, profile, 'Game');
  loadInto(container, profile, (maps) => {
    const note = outcome('game-outcome');
    const button = (id, label, operation, question) => {
      const b = h(`button#${id}`, { type: 'button' }, label);
      b.addEventListener('click', async () => {
        if (!await confirmAction(question, label)) return;
        note.show('Sending…', 'busy');
        try {
          await endGame(profile, operation, note);
        } catch (error) {
          note.show(`Not done: ${error.message}`, 'error');
        }
      });
      gate('Skip Maps', b);
      return b;
    };
    container.append(h('section.panel', { 'aria-label': 'Game commands' },
      h('div.row', {},
        button('skip', 'Skip map', 'SkipMapRem', 'End the current game now (short end-of-game display)?'),
        button('score', 'Score map', 'ScoreMapRem', 'End the current game with its full score display?')),
      playNextForm(profile, maps, note), note));
  });
  return live.stop;
}

export function settingsView(container, profile) {
  const live = frame(container, profile, 'Settings');
  loadInto(container, profile, (maps) => {
    const note = outcome('settings-outcome');
    const autoload = h('input#autoload', { type: 'checkbox', checked: maps.settings.autoload === '1' });
    const display = h('select#display-time', {}, Array.from({ length: 9 }, (_, i) =>
      h('option', { value: i + 1, selected: String(i + 1) === maps.settings.displayTime },
        `${(i + 1) * 5} seconds`)));
    const save = h('button.primary#save-settings', { type: 'button' }, 'Save settings');
    save.addEventListener('click', async () => {
      note.show('Saving…', 'busy');
      try {
        await api.operate(profile, 'SetAutoLoad', autoload.checked ? '1' : '0');
        await api.operate(profile, 'SetDisplayTimer', Number(display.value));
        const back = (await readMaps(profile)).settings;
        note.show(`The host now has autoload ${back.autoload === '1' ? 'on' : 'off'} and an ` +
          `end-of-game display of ${Number(back.displayTime) * 5} seconds.`);
      } catch (error) {
        note.show(`Not saved: ${error.message}`, 'error');
      }
    });
    gate('Change Map List', autoload, display, save);
    container.append(h('section.panel', { 'aria-label': 'Settings' },
      h('div.check', {}, autoload, h('label', { htmlFor: 'autoload' },
        'Load the last rotation when the server starts (autoload)')),
      field('End-of-game display', display), save, note,
      h('p.hint', {}, `Rotation of ${plural(maps.rotation.length, 'map')}; the server takes at ` +
        `most ${maps.settings.mapLimit}.`)));
    if (!may('Change Map List')) note.show('Your privileges let you read these settings only.');
  });
  return live.stop;
}
