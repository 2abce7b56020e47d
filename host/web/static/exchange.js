// The texts the plug-in exchanges about a server's rotation, built and read exactly as the
// host's own codec does: Windows-1252 bytes, base 64, zlib, the section and field separators.

export const SECTION_SEPARATOR = '[-]|[-]Tarnwick[-]|[-]';
export const LENGTH_MARKER = '[-]Tarnwick[-]';
export const CURRENT_MAPS_MARKER = '[CurMaps]';
export const GAME_TYPES = ['Deathmatch', 'Team Deathmatch', 'Cooperative', 'Team King of the Hill',
  'King of the Hill', 'Search and Destroy', 'Attack and Defend', 'Capture the Flag', 'Flagball'];
export const FREQUENCIES = ['Once', 'Every Day', 'Every Week', 'Every Month'];

export class ExchangeError extends Error {
  constructor(kind, message) {
    super(message);
    this.kind = kind;
  }
}
const fail = (kind, message) => { throw new ExchangeError(kind, message); };

// ---- Windows-1252: a string whose characters are the bytes' characters ----
// 0x80-0x9F; the five bytes the code page leaves unassigned stand for the control characters
// of the same number, as Windows converts them, so that every byte comes back the same.
const HIGH = [0x20AC, 0x81, 0x201A, 0x192, 0x201E, 0x2026, 0x2020, 0x2021, 0x2C6, 0x2030, 0x160,
  0x2039, 0x152, 0x8D, 0x17D, 0x8F, 0x90, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
  0x2DC, 0x2122, 0x161, 0x203A, 0x153, 0x9D, 0x17E, 0x178];
const charOf = Array.from({ length: 256 }, (_, b) =>
  String.fromCharCode(b >= 0x80 && b < 0xA0 ? HIGH[b - 0x80] : b));
const byteOf = new Map(charOf.map((c, b) => [c, b]));

export function toBytes(text) {
  const bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; i++) {
    const b = byteOf.get(text[i]);
    if (b === undefined) {
      fail('NotWindows1252', `the character "${text[i]}" has no Windows-1252 code`);
    }
    bytes[i] = b;
  }
  return bytes;
}
export function fromBytes(bytes) {
  let text = '';
  for (const b of bytes) text += charOf[b];
  return text;
}
export function isWindows1252(text) {
  for (const c of text) if (!byteOf.has(c)) return false;
  return true;
}

// ---- base 64: standard alphabet, '=' padding; the reader skips blanks and line ends ----
const ALPHABET = 'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/';

export function encodeBase64(bytes) {
  let out = '';
  let i = 0;
  for (; i + 3 <= bytes.length; i += 3) {
    const g = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
    out += ALPHABET[g >> 18 & 63] + ALPHABET[g >> 12 & 63] + ALPHABET[g >> 6 & 63] + ALPHABET[g & 63];
  }
  const rest = bytes.length - i;
  if (rest > 0) {
    const g = (bytes[i] << 16) | (rest === 2 ? bytes[i + 1] << 8 : 0);
    out += ALPHABET[g >> 18 & 63] + ALPHABET[g >> 12 & 63] +
      (rest === 2 ? ALPHABET[g >> 6 & 63] : '=') + '=';
  }
  return out;
}

export function decodeBase64(text) {
  const invalid = (why) => fail('BadBase64', `the text is not base 64: ${why}`);
  const out = [];
  let group = 0;
  let filled = 0;
  let padding = 0;
  for (let i = 0; i < text.length; i++) {
    const c = text[i];
    if (c === '\r' || c === '\n' || c === ' ' || c === '\t') continue;
    if (c === '=') { padding++; continue; }
    const value = ALPHABET.indexOf(c);
    if (value < 0) invalid(`character ${c.charCodeAt(0)} at position ${i + 1}`);
    if (padding > 0) invalid(`text after the '=' padding at position ${i + 1}`);
    group = (group << 6) | value;
    if (++filled === 4) {
      out.push(group >> 16 & 255, group >> 8 & 255, group & 255);
      group = 0;
      filled = 0;
    }
  }
  if (filled === 1) invalid('its length is not a whole number of bytes');
  if (padding > 2 || (padding > 0 && filled + padding !== 4)) invalid("bad '=' padding");
  if (filled === 2) out.push(group >> 4 & 255);
  if (filled === 3) out.push(group >> 10 & 255, group >> 2 & 255);
  return Uint8Array.from(out);
}

const base64Text = (text) => encodeBase64(toBytes(text));
function textOf64(text, what) {
  try {
    return fromBytes(decodeBase64(text));
  } catch (error) {
    fail(error.kind || 'BadBase64', `${what}: ${error.message}`);
  }
}

// ---- zlib through the browser's own streams ----
async function pipe(bytes, stream) {
  const response = new Response(new Blob([bytes]).stream().pipeThrough(stream));
  return new Uint8Array(await response.arrayBuffer());
}
export async function compressText(text) {
  return encodeBase64(await pipe(toBytes(text), new CompressionStream('deflate')));
}
export async function decompressText(compressed, length) {
  const packed = decodeBase64(compressed);
  let bytes;
  try {
    bytes = await pipe(packed, new DecompressionStream('deflate'));
  } catch (error) {
    fail('BadCompression', `the compressed text is cut short or corrupt (${error.message})`);
  }
  if (bytes.length !== length) {
    fail('LengthMismatch', `the text is ${bytes.length} characters long, not ${length}`);
  }
  return fromBytes(bytes);
}

// ---- numbers and fields ----
export function parseNumber(text, what) {
  const m = /^[+-]?[0-9]+$/.exec(text);
  const value = m && !text.startsWith('+-') ? Number(text) : NaN;
  if (!Number.isInteger(value) || value > 2147483647 || value < -2147483648) {
    fail('NotANumber', `${what}: "${text}" is not a number`);
  }
  return value;
}
function leadingLength(digits, what) {
  const n = /^[0-9]+$/.test(digits) ? Number(digits) : -1;
  if (n < 0 || n > 2147483647) {
    fail('LengthMismatch', `${what}: the length "${digits}" is not a count of characters`);
  }
  return n;
}
function customFlag(flag, what) {
  if (flag === '1') return true;
  if (flag === '0') return false;
  return fail('NotANumber', `${what}: the custom flag "${flag}" is not 0 or 1`);
}

function parseMapLine(text, what) {
  const fields = text.split('|');
  if (fields.length < 4) {
    fail('MissingSection', `${what} has ${fields.length} fields, not 4: "${text}"`);
  }
  const n = fields.length;
  return {
    displayName: textOf64(fields[0], `${what}, display name`),
    missionFile: fields.slice(1, n - 2).join('|'),
    gameType: parseNumber(fields[n - 2], `${what}, game type`),
    custom: customFlag(fields[n - 1], what),
  };
}

export function parseTasksText(text) {
  if (text === '') return [];
  return text.split('|').map((entry, i) => {
    const pieces = entry.split('_');
    if (pieces[0] === '') fail('MissingSection', `task ${i + 1} has no section name`);
    const lines = [];
    // Lines are key=value; a piece without "=" is the rest of a value that held "_".
    for (const piece of pieces.slice(1)) {
      if (piece.includes('=') || lines.length === 0) lines.push(piece);
      else lines[lines.length - 1] += '_' + piece;
    }
    return { section: pieces[0], lines };
  });
}

function parseSettings(text) {
  const fields = text.split('_');
  if (fields.length < 7) fail('MissingSection', `the settings have ${fields.length} fields, not 7`);
  const n = fields.length;
  return {
    autoload: fields[0],
    displayTime: fields.slice(1, n - 5).join('_'),
    mapPlaying: textOf64(fields[n - 5], "the settings' map playing"),
    kothLimit: parseNumber(fields[n - 4], "the settings' king-of-the-hill limit"),
    killLimit: parseNumber(fields[n - 3], "the settings' kill limit"),
    gameScoreLimit: parseNumber(fields[n - 2], "the settings' game-score limit"),
    mapLimit: parseNumber(fields[n - 1], "the settings' map limit"),
  };
}

export function parseMapsBody(body) {
  const first = body.indexOf(SECTION_SEPARATOR);
  const last = body.lastIndexOf(SECTION_SEPARATOR);
  if (first < 0 || first === last) {
    fail('MissingSection', `the body has ${first < 0 ? 1 : 2} of its 3 sections`);
  }
  const answer = { settings: parseSettings(body.slice(0, first)), catalogue: [], rotation: [],
    tasks: [], tasksProblem: '' };
  const lines = body.slice(first + SECTION_SEPARATOR.length, last).split('\r\n');
  let inRotation = false;
  lines.forEach((line, i) => {
    if (line === '') return;
    if (line === CURRENT_MAPS_MARKER && !inRotation) {
      inRotation = true;
      return;
    }
    (inRotation ? answer.rotation : answer.catalogue).push(parseMapLine(line, `map line ${i + 1}`));
  });
  if (!inRotation) fail('MissingSection', 'the maps have no "[CurMaps]" line');
  const tasks = body.slice(last + SECTION_SEPARATOR.length);
  // Tasks that cannot be read do not hide the maps: the reader is told why instead.
  try {
    if (tasks !== '') answer.tasks = parseTasksText(textOf64(tasks, 'the tasks'));
  } catch (error) {
    answer.tasksProblem = error.message;
  }
  return answer;
}

export async function parseMapsAnswer(answer) {
  if (answer === 'Failed') {
    fail('ServerNotRunning', 'the server is not running (the answer is "Failed")');
  }
  const marker = answer.indexOf(LENGTH_MARKER);
  if (marker < 0) fail('MissingSection', 'the answer has no length marker "[-]Tarnwick[-]"');
  const length = leadingLength(answer.slice(0, marker), 'the answer');
  return parseMapsBody(await decompressText(answer.slice(marker + LENGTH_MARKER.length), length));
}

// ---- SetMapsRem ----
export function setMapsText(rotation) {
  let text = '0';
  for (const limit of [rotation.kothLimit, rotation.killLimit, rotation.gameScoreLimit]) {
    text += '_' + String(limit);
  }
  for (const line of rotation.rotation) {
    text += '_' + base64Text(line.displayName.replaceAll(' ', '%20')) + '|' +
      base64Text(line.missionFile) + '|' + line.gameType + '|' + (line.custom ? '1' : '0');
  }
  return text;
}

export async function buildSetMapsData(rotation) {
  const text = setMapsText(rotation);
  return `${text.length}|${encodeBase64(toBytes(await compressText(text)))}`;
}

// ---- map-list files (.mpl): one "type[-]custom[-]MISSION.BMS" line per map ----
export function mapListText(rotation) {
  return rotation.map((m) => `${m.gameType}[-]${m.custom ? 1 : 0}[-]${m.missionFile}\r\n`).join('');
}

// Lines as the window reads them; each map found in the catalogue by file, type and flag.
export function parseMapList(text, catalogue) {
  const found = [];
  const missing = [];
  let unreadable = 0;
  for (const line of text.split(/\r\n|\r|\n/)) {
    if (line.indexOf('[-]', 2) < 0) continue;
    const parts = line.split('[-]');
    if (parts.length !== 3 || !/^[0-9]+$/.test(parts[0].trim())) {
      unreadable++;
      continue;
    }
    const type = Number(parts[0].trim());
    const custom = parts[1].trim() === '1' || parts[1].trim().toLowerCase() === 'true';
    const file = parts[2].trim();
    const map = catalogue.find((m) => m.gameType === type && m.custom === custom &&
      m.missionFile.toLowerCase() === file.toLowerCase());
    if (map) found.push(map);
    else missing.push(file);
  }
  return { found, missing, unreadable };
}

// ---- task data, checked as the host checks it ----
export function isRealDateTime(text) {
  const m = /^(\d\d)\/(\d\d)\/(\d{4}) (\d\d):(\d\d):(\d\d)$/.exec(text);
  if (!m) return false;
  const [d, mo, y, h, mi, s] = m.slice(1).map(Number);
  const days = [31, (y % 4 === 0 && y % 100 !== 0) || y % 400 === 0 ? 29 : 28, 31, 30, 31, 30,
    31, 31, 30, 31, 30, 31];
  return mo >= 1 && mo <= 12 && d >= 1 && d <= days[mo - 1] && h <= 23 && mi <= 59 && s <= 59;
}
export function isPlainFileName(name) {
  // eslint-disable-next-line no-control-regex
  return name !== '' && name !== '.' && name !== '..' && !/[\\/:\x00-\x1f\x7f]/.test(name);
}
// Why a task would be refused; empty when the host would take it.
export function taskProblem(when, file, frequency) {
  if (!isRealDateTime(when)) return `"${when}" is not a real date and time dd/mm/yyyy hh:mm:ss`;
  if (!FREQUENCIES.includes(frequency)) return `"${frequency}" is not a frequency of the list`;
  if (file !== 'Random' && (!isPlainFileName(file) || file.includes('..') ||
      !file.toLowerCase().endsWith('.mpl'))) {
    return `"${file}" is neither Random nor a map list of the settings folder`;
  }
  if (!isWindows1252(file)) return `"${file}" holds a character Windows-1252 lacks`;
  return '';
}
export const taskData = (when, file, frequency) => base64Text(`${when}|${file}|${frequency}`);
export const editTaskData = (old, when, file, frequency) =>
  base64Text(`${old}|${when}|${file}|${frequency}`);
export const deleteFileData = (name) => base64Text(name);
