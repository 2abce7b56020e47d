// The host's API with the administrator's token. The token lives in this tab's sessionStorage
// only: never in a URL, never in a cookie.

const KEY = 'rotaryn.token';
export const token = () => sessionStorage.getItem(KEY);
export const setToken = (value) => sessionStorage.setItem(KEY, value);
export const clearToken = () => sessionStorage.removeItem(KEY);

export class ApiError extends Error {
  constructor(status, message) {
    super(message);
    this.status = status;
  }
}

// Called with the reason when the host no longer takes the token.
let onUnauthorized = () => {};
export const whenUnauthorized = (handler) => { onUnauthorized = handler; };

function failure(status, body) {
  const message = body?.error?.message || `the host answered ${status}`;
  if (status === 401) onUnauthorized(message);
  return new ApiError(status, message);
}

export async function call(method, path, data, tag) {
  const init = { method, headers: { Authorization: `Bearer ${token()}` }, cache: 'no-store' };
  // Asked with the tag of the answer the page holds: 304 when that answer is still the host's.
  if (tag) init.headers['If-None-Match'] = tag;
  if (data !== undefined) {
    init.headers['Content-Type'] = 'application/json';
    init.body = JSON.stringify({ data });
  }
  let response;
  try {
    response = await fetch(`/api/v1/${path}`, init);
  } catch (error) {
    throw new ApiError(0, `the host cannot be reached (${error.message})`);
  }
  if (tag && response.status === 304) return { unchanged: true };
  let body = null;
  try {
    body = await response.json();
  } catch {
    body = null;
  }
  if (!response.ok) throw failure(response.status, body);
  if (tag !== undefined) return { body, tag: response.headers.get('ETag') };
  return body;
}

export const get = (path) => call('GET', path);
export const post = (path, data) => call('POST', path, data);
// { body, tag } of a new answer, or { unchanged: true } while the answer of tag stands.
export const getChanged = (path, tag) => call('GET', path, undefined, tag || '');

// A plug-in operation of a profile; throws when it did not make the change, with the reason.
export async function operate(profile, operation, data) {
  const answer = await post(`profiles/${profile}/${operation}`, data);
  if (answer.done === false) throw new ApiError(200, answer.message || 'the change was not made');
  return answer;
}

// A POST with upload progress (fetch reports none): onProgress(sent, total).
export function postWithProgress(path, body, onProgress) {
  return new Promise((resolve, reject) => {
    const request = new XMLHttpRequest();
    request.open('POST', `/api/v1/${path}`);
    request.setRequestHeader('Authorization', `Bearer ${token()}`);
    request.setRequestHeader('Content-Type', 'application/json');
    request.upload.onprogress = (e) => onProgress(e.loaded, e.total);
    request.onerror = () => reject(new ApiError(0, 'the host cannot be reached'));
    request.onload = () => {
      let answer = null;
      try {
        answer = JSON.parse(request.responseText);
      } catch {
        answer = null;
      }
      if (request.status !== 200) reject(failure(request.status, answer));
      else if (answer.done === false) reject(new ApiError(200, answer.message));
      else resolve(answer);
    };
    request.send(body);
  });
}
