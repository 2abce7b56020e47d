// Every profile the administrator may see, with its server's game, read every 2 seconds as the
// host's own window does.
import * as api from './api.js';
import { h } from './ui.js';

export const POLL_MS = 2000;

// Calls `tick` now and then every `ms` after the previous call finished, until stopped.
export function poll(tick, ms = POLL_MS) {
  let timer = null;
  let stopped = false;
  let busy = false;
  const run = async () => {
    busy = true;
    try {
      // A tab in the background asks nothing; it reads again as soon as it is shown.
      if (!document.hidden) await tick();
    } finally {
      busy = false;
      if (!stopped) timer = setTimeout(run, ms);
    }
  };
  const shown = () => {
    if (document.hidden || stopped || busy) return;
    clearTimeout(timer);
    run();
  };
  document.addEventListener('visibilitychange', shown);
  run();
  return () => {
    stopped = true;
    clearTimeout(timer);
    document.removeEventListener('visibilitychange', shown);
  };
}

const LIMITS = [['koth', 'King of the hill', ' min'], ['kills', 'Kills', ''], ['gameScore', 'Game score', '']];

function limitsText(limits) {
  if (!limits) return 'none (this build has no limit fields)';
  return LIMITS.filter(([key]) => key in limits)
    .map(([key, label, unit]) => `${label} ${limits[key]}${unit}`).join(' · ');
}

const row = (label, value) => [h('dt', {}, label), h('dd', {}, value ?? '—')];

export function statusCard(entry, status, problem) {
  const title = `Profile ${entry.index} · ${entry.folder}`;
  const card = h('article.card', { 'aria-label': title, dataset: { profile: entry.index } },
    h('h2', {}, h('a', { href: `#p/${entry.index}/rotation` }, title)));
  const type = status?.build ? `${entry.serverType} · ${status.build.replace(/\s+/g, " ")}` : entry.serverType;
  if (problem || !status || !status.running || status.state === undefined) {
    const words = problem || status?.message || (entry.state === 'loaded' ? 'stopped' : entry.state);
    card.classList.add('stopped');
    card.append(h('p.state', { dataset: { state: 'stopped' } }, `Server ${words}`),
      h('dl', {}, row('Server', type)));
    return card;
  }
  card.append(
    h('p.state', { dataset: { state: status.state } }, status.stateName || `state ${status.state}`),
    h('dl', {},
      row('Server', type),
      row('Playing', status.map ? `${status.map} (${status.gameTypeName ?? status.gameType})` : 'no map'),
      row('Next', status.nextMap),
      row('Position', status.rotationLength ? `${status.position + 1} of ${status.rotationLength}` : '—'),
      row('Limits', limitsText(status.limits))));
  return card;
}

export async function readStatus(entry) {
  try {
    return { status: await api.get(`profiles/${entry.index}/status`) };
  } catch (error) {
    if (error.status === 401) throw error;
    return { problem: error.status === 409 ? 'not running' : error.message };
  }
}

export function serversView(container) {
  const grid = h('div.cards', { 'aria-live': 'off' });
  const stamp = h('p.hint#servers-stamp', { role: 'status' }, 'Reading the servers…');
  container.append(h('h1', {}, 'Servers'), stamp, grid);
  let tag = '';
  return poll(async () => {
    let list;
    try {
      // The profile list with each profile's status, in one request. Holding a list, the page
      // asks the host to answer when it changes (or after 25 s): nothing is sent meanwhile.
      const answer = await api.getChanged(tag ? 'status?wait=25' : 'status', tag);
      if (answer.unchanged) {
        stamp.textContent = `${grid.children.length} servers, read at ${new Date().toLocaleTimeString()}`;
        return;
      }
      list = answer.body.profiles;
      tag = answer.tag || '';
    } catch (error) {
      if (error.status === 401) throw error;
      stamp.textContent = `The host cannot be read: ${error.message}`;
      return;
    }
    grid.replaceChildren(...list.map((entry) => statusCard(entry, entry.status)));
    stamp.textContent = `${list.length} servers, read at ${new Date().toLocaleTimeString()}`;
  });
}
