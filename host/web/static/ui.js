// Small helpers for building the page: elements, messages, confirmations and privileges.

// h('button.primary#send', {type: 'button', onclick}, 'Send'): an element with its classes, id,
// properties (on* are listeners) and children (text or elements).
export function h(selector, props = {}, ...children) {
  const [, tag, rest] = /^([a-z0-9]+)(.*)$/.exec(selector);
  const el = document.createElement(tag);
  for (const part of rest.match(/[.#][^.#]+/g) || []) {
    if (part[0] === '.') el.classList.add(part.slice(1));
    else el.id = part.slice(1);
  }
  for (const [key, value] of Object.entries(props)) {
    if (value === undefined || value === null || value === false) continue;
    if (key.startsWith('on')) el.addEventListener(key.slice(2), value);
    else if (key === 'dataset') Object.assign(el.dataset, value);
    else if (key in el && !key.includes('-')) el[key] = value;
    else el.setAttribute(key, value === true ? '' : value);
  }
  for (const child of children.flat()) {
    if (child !== null && child !== undefined && child !== false) el.append(child);
  }
  return el;
}

// A labelled field: the label names the control for screen readers and clicks.
let fieldCount = 0;
export function field(label, control, hint) {
  if (!control.id) control.id = `f${++fieldCount}`;
  const hintEl = hint ? h('small.hint', { id: `${control.id}-hint` }, hint) : null;
  if (hintEl) control.setAttribute('aria-describedby', hintEl.id);
  return h('div.field', {}, h('label', { htmlFor: control.id }, label), control, hintEl);
}

// A live line for an action's outcome: ok, error or busy.
export function outcome(id) {
  const el = h('p.outcome', { id, role: 'status', 'aria-live': 'polite' });
  el.show = (text, kind = 'ok') => {
    el.textContent = text;
    el.className = `outcome ${kind}`;
  };
  return el;
}

// Asks before a change: resolves true when the administrator confirms.
export function confirmAction(question, confirmLabel) {
  return new Promise((resolve) => {
    const dialog = h('dialog.confirm', { 'aria-labelledby': 'confirm-q' });
    const close = (answer) => {
      dialog.close();
      dialog.remove();
      resolve(answer);
    };
    dialog.append(
      h('p#confirm-q', {}, question),
      h('div.buttons', {},
        h('button', { type: 'button', onclick: () => close(false) }, 'Cancel'),
        h('button.primary.confirm-yes', { type: 'button', onclick: () => close(true) },
          confirmLabel)));
    dialog.addEventListener('cancel', () => resolve(false));
    document.body.append(dialog);
    dialog.showModal();
  });
}

// The administrator signed in: their name, plug-in and host privileges, profiles.
export const session = { name: '', privileges: [], hostPrivileges: [], profiles: [] };
export const may = (privilege) =>
  session.privileges.includes(privilege) || session.hostPrivileges.includes(privilege);

// Disables the controls the administrator's privileges do not allow, with the reason.
export function gate(privilege, ...controls) {
  if (may(privilege)) return;
  for (const control of controls) {
    control.disabled = true;
    control.title = `Needs the privilege "${privilege}"`;
    control.classList.add('denied');
  }
}

export const plural = (n, word) => `${n} ${word}${n === 1 ? '' : 's'}`;
