// A profile's scheduled tasks: the table, and adding, changing and deleting them. Nothing is
// sent that the host would refuse.
import * as api from './api.js';
import * as x from './exchange.js';
import { h, field, outcome, confirmAction, gate } from './ui.js';

// "dd/mm/yyyy hh:mm:ss" from a date-time input's "yyyy-mm-ddThh:mm[:ss]", and back.
export function taskDate(local) {
  const m = /^(\d{4})-(\d\d)-(\d\d)T(\d\d):(\d\d)(?::(\d\d))?/.exec(local);
  return m ? `${m[3]}/${m[2]}/${m[1]} ${m[4]}:${m[5]}:${m[6] || '00'}` : local;
}
export function inputDate(when) {
  const m = /^(\d\d)\/(\d\d)\/(\d{4}) (\d\d):(\d\d):(\d\d)$/.exec(when);
  return m ? `${m[3]}-${m[2]}-${m[1]}T${m[4]}:${m[5]}:${m[6]}` : '';
}

function taskForm(lists, onSubmit) {
  const when = h('input#task-when', { type: 'datetime-local', step: 1, required: true });
  const file = h('select#task-file', {}, h('option', { value: 'Random' }, 'Random'),
    lists.map((name) => h('option', { value: name }, name)));
  const frequency = h('select#task-frequency', {}, x.FREQUENCIES.map((f) => h('option', { value: f }, f)));
  const submit = h('button.primary#task-submit', { type: 'submit' }, 'Add task');
  const cancel = h('button#task-cancel', { type: 'button', hidden: true }, 'Cancel edit');
  const form = h('form.panel.task-form', { 'aria-label': 'Task' },
    h('div.row', {}, field('Date and time', when), field('Map list', file), field('Frequency', frequency)),
    h('div.row', {}, submit, cancel));
  form.editing = null;
  form.edit = (task) => {
    form.editing = task;
    when.value = task ? inputDate(task.when) : '';
    if (task) {
      if (![...file.options].some((o) => o.value === task.file)) file.append(h('option', { value: task.file }, task.file));
      file.value = task.file;
      frequency.value = task.frequency;
      when.focus();
    }
    submit.textContent = task ? 'Save task' : 'Add task';
    cancel.hidden = !task;
  };
  cancel.addEventListener('click', () => form.edit(null));
  form.addEventListener('submit', (e) => {
    e.preventDefault();
    onSubmit(taskDate(when.value), file.value, frequency.value);
  });
  gate('Add New Tasks', when, file, frequency, submit);
  return form;
}

function taskRows(tasks, form, remove) {
  return tasks.map((task) => {
    const edit = h('button.edit', { type: 'button', onclick: () => form.edit(task),
      'aria-label': `Edit the task of ${task.when}` }, 'Edit');
    const del = h('button.delete', { type: 'button', onclick: () => remove(task),
      'aria-label': `Delete the task of ${task.when}` }, 'Delete');
    gate('Add New Tasks', edit);
    gate('Delete Tasks', del);
    return h('tr', {}, h('td', {}, task.when), h('td', {}, task.file), h('td', {}, task.frequency),
      h('td.actions', {}, edit, del));
  });
}

export function tasksView(container, profile) {
  const note = outcome('tasks-outcome');
  const body = h('tbody#tasks');
  const table = h('table.tasks', {}, h('caption', {}, 'Scheduled tasks'),
    h('thead', {}, h('tr', {}, ['When', 'Map list', 'Frequency', 'Actions'].map((c) => h('th', { scope: 'col' }, c)))),
    body);
  container.append(h('h1', {}, `Tasks — profile ${profile}`));
  let form = null;
  const refresh = async () => {
    const { tasks } = await api.get(`profiles/${profile}/tasks`);
    body.replaceChildren(...(tasks.length ? taskRows(tasks, form, remove)
      : [h('tr', {}, h('td', { colSpan: 4 }, 'No tasks.'))]));
    return tasks;
  };
  const run = async (operation, data, done) => {
    note.show('Sending…', 'busy');
    try {
      await api.operate(profile, operation, data);
      await refresh();
      form.edit(null);
      note.show(done);
    } catch (error) {
      note.show(`Not done: ${error.message}`, 'error');
    }
  };
  async function remove(task) {
    if (!await confirmAction(`Delete the task of ${task.when} (${task.file}, ${task.frequency})?`, 'Delete task')) return;
    await run('DeleteTaskRem', task.when, `The task of ${task.when} is deleted.`);
  }
  const submit = (when, file, frequency) => {
    const problem = x.taskProblem(when, file, frequency);
    if (problem) return note.show(`Not sent: ${problem}.`, 'error');
    const old = form.editing?.when;
    return old ? run('EditTaskRem', x.editTaskData(old, when, file, frequency), `The task is now ${when}, ${file}, ${frequency}.`)
      : run('AddTaskRem', x.taskData(when, file, frequency), `Task added: ${when}, ${file}, ${frequency}.`);
  };
  api.get(`profiles/${profile}/maplists`).then(({ lists }) => {
    form = taskForm(lists, submit);
    container.append(table, form, note);
    return refresh();
  }).catch((error) => { container.append(note); note.show(`The tasks cannot be read: ${error.message}`, 'error'); });
  return () => {};
}
