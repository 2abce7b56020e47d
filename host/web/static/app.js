// The console's shell: sign-in, the administrator's views and their navigation (by the URL's
// fragment, which never holds the token).
import * as api from './api.js';
import { h, session } from './ui.js';
import { serversView } from './servers.js';
import { rotationView, gameView, settingsView } from './profile.js';
import { tasksView } from './tasks.js';
import { filesView, logsView } from './files.js';

const VIEWS = [
  ['rotation', 'Rotation', rotationView],
  ['game', 'Game', gameView],
  ['settings', 'Settings', settingsView],
  ['tasks', 'Tasks', tasksView],
  ['files', 'Map files', filesView],
  ['logs', 'Logs', logsView],
];

const main = document.getElementById('main');
const nav = document.getElementById('nav');
const who = document.getElementById('who');
const signOutButton = document.getElementById('sign-out');
let stopView = () => {};
let signingIn = false;  // a token just typed: a refusal is a failed sign-in, not a sign-out

function signIn(reason = '') {
  stopView();
  stopView = () => {};
  api.clearToken();
  nav.replaceChildren();
  who.textContent = '';
  signOutButton.hidden = true;
  const input = h('input#token', { type: 'password', autocomplete: 'off', spellcheck: false,
    required: true, 'aria-describedby': 'token-hint' });
  const why = h('p.outcome.error#signin-reason', { role: 'alert' }, reason);
  const form = h('form.signin', { 'aria-labelledby': 'signin-title' },
    h('h1#signin-title', {}, 'Sign in'),
    h('label', { htmlFor: 'token' }, 'Administrator token'), input,
    h('small.hint#token-hint', {}, 'The 64 hex digits rotaryn-host --add-admin printed. ' +
      'The token is kept for this browser tab only.'),
    h('button.primary', { type: 'submit' }, 'Sign in'), why);
  form.addEventListener('submit', async (event) => {
    event.preventDefault();
    api.setToken(input.value.trim());
    signingIn = true;
    await start();
    signingIn = false;
  });
  main.replaceChildren(form);
  input.focus();
}

async function start() {
  try {
    Object.assign(session, await api.get('whoami'));
  } catch (error) {
    if (error.status !== 401) signIn(`The host cannot be asked: ${error.message}`);
    return;
  }
  who.textContent = session.name;
  signOutButton.hidden = false;
  if (!location.hash) location.hash = '#servers';
  route();
}

function navigation(profile, current) {
  const link = (href, label, active) =>
    h('a', { href, 'aria-current': active ? 'page' : null }, label);
  const items = [link('#servers', 'Servers', current === 'servers')];
  if (session.profiles.length) {
    const choose = h('select#profile-choice', {
      onchange: () => { location.hash = `#p/${choose.value}/${current === 'servers' ? 'rotation' : current}`; },
    }, session.profiles.map((p) => h('option', { value: p, selected: p === profile }, `Profile ${p}`)));
    items.push(h('span.choose', {}, h('label', { htmlFor: 'profile-choice' }, 'Profile'), choose));
    for (const [key, label] of VIEWS) {
      items.push(link(`#p/${profile ?? session.profiles[0]}/${key}`, label,
        profile !== null && current === key));
    }
  }
  nav.replaceChildren(...items);
}

function route() {
  if (!api.token()) return;
  stopView();
  const m = /^#p\/(\d+)\/(\w+)$/.exec(location.hash);
  const view = m && VIEWS.find(([key]) => key === m[2]);
  const profile = view ? Number(m[1]) : null;
  navigation(profile, view ? view[0] : 'servers');
  const container = h('div.view');
  main.replaceChildren(container);
  stopView = view ? view[2](container, profile) : serversView(container);
  const heading = container.querySelector('h1');
  if (heading) heading.tabIndex = -1;
}

api.whenUnauthorized((message) => signIn(signingIn ? `The host refused the token: ${message}`
  : `Signed out: ${message}`));
signOutButton.addEventListener('click', () => signIn('Signed out.'));
window.addEventListener('hashchange', route);
if (api.token()) start();
else signIn();
