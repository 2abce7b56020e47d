#include "formats/exchange_codec.h"

#include <array>
#include <charconv>
#include <limits>
#include <memory>

#include "formats/base64.h"
#include "formats/deflate.h"

namespace rotaryn::formats::exchange {
namespace {

using Kind = ExchangeError::Kind;

[[noreturn]] void fail(Kind kind, const std::string& what) {
  throw ExchangeError(kind, what);
}

std::vector<std::string_view> split(std::string_view text, std::string_view separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    const size_t at = text.find(separator, start);
    if (at == std::string_view::npos) break;
    parts.push_back(text.substr(start, at - start));
    start = at + separator.size();
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::string join(const std::vector<std::string_view>& parts, size_t from, size_t to, char with) {
  std::string joined;
  for (size_t i = from; i < to; ++i) {
    if (i > from) joined += with;
    joined += parts[i];
  }
  return joined;
}

std::string decode64(std::string_view text, const std::string& what) {
  try {
    return decodeBase64(text);
  } catch (const Base64Error& error) {
    fail(Kind::BadBase64, what + ": " + error.what());
  }
}

std::string replaceAll(std::string text, std::string_view find, std::string_view with) {
  for (size_t at = text.find(find); at != std::string::npos;
       at = text.find(find, at + with.size())) {
    text.replace(at, find.size(), with);
  }
  return text;
}

bool customFlag(std::string_view flag, const std::string& what) {
  if (flag == "1") return true;
  if (flag == "0") return false;
  fail(Kind::NotANumber, what + ": the custom flag \"" + std::string(flag) + "\" is not 0 or 1");
}

// "<length><marker><rest>": the length, checked to be a count of characters.
int64_t leadingLength(std::string_view text, size_t markerAt, const std::string& what) {
  const std::string_view digits = text.substr(0, markerAt);
  int64_t length = -1;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), length);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
      length < 0 || length > std::numeric_limits<int32_t>::max()) {
    fail(Kind::LengthMismatch,
         what + ": the length \"" + std::string(digits) + "\" is not a count of characters");
  }
  return length;
}

MapLine parseMapLine(std::string_view text, const std::string& what) {
  const std::vector<std::string_view> fields = split(text, "|");
  if (fields.size() < 4) {
    fail(Kind::MissingSection, what + " has " + std::to_string(fields.size()) +
                                   " fields, not 4: \"" + std::string(text) + "\"");
  }
  // A mission file cannot hold "|" on the game's system; should one, it stays whole.
  const size_t n = fields.size();
  MapLine line;
  line.displayName = decode64(fields[0], what + ", display name");
  line.missionFile = join(fields, 1, n - 2, '|');
  line.gameType = parseNumber(fields[n - 2], what + ", game type");
  line.custom = customFlag(fields[n - 1], what);
  return line;
}

}  // namespace

int32_t parseNumber(std::string_view text, const std::string& what) {
  std::string_view digits = text;
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  int32_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
      (digits.front() == '-' && text.front() == '+')) {
    fail(Kind::NotANumber, what + ": \"" + std::string(text) + "\" is not a number");
  }
  return value;
}

std::string compressText(std::string_view text) {
  return encodeBase64(deflateBytes(text));
}

std::string decompressText(std::string_view compressed, int64_t length) {
  if (length < 0) fail(Kind::LengthMismatch, "negative length " + std::to_string(length));
  Inflated inflated = inflateExactly(decode64(compressed, "the compressed text"), length);
  if (!inflated.problem.empty()) {
    fail(inflated.wrongLength ? Kind::LengthMismatch : Kind::BadCompression, inflated.problem);
  }
  return std::move(inflated.text);
}

std::string settingsSection(const ServerSettings& s, const Encode& base64) {
  const std::string playing = s.mapPlaying.empty()
                                  ? std::string()
                                  : (base64 ? base64(s.mapPlaying) : encodeBase64(s.mapPlaying));
  std::string text = s.autoload + kFieldSeparator + s.displayTime + kFieldSeparator + playing;
  for (int32_t limit : {s.kothLimit, s.killLimit, s.gameScoreLimit, s.mapLimit}) {
    text += kFieldSeparator + std::to_string(limit);
  }
  return text;
}

std::string mapLineText(const MapLine& line, const Encode& base64) {
  return (base64 ? base64(line.displayName) : encodeBase64(line.displayName)) + kEntrySeparator +
         line.missionFile + kEntrySeparator + std::to_string(line.gameType) + kEntrySeparator +
         (line.custom ? "1" : "0");
}

std::vector<std::string> mapLines(const MapsAnswer& answer, const Encode& base64) {
  std::vector<std::string> lines;
  lines.reserve(answer.catalogue.size() + 1 + answer.rotation.size());
  for (const MapLine& line : answer.catalogue) lines.push_back(mapLineText(line, base64));
  lines.emplace_back(kCurrentMapsMarker);
  for (const MapLine& line : answer.rotation) lines.push_back(mapLineText(line, base64));
  return lines;
}

std::string tasksText(const std::vector<Task>& tasks) {
  std::string text;
  for (const Task& task : tasks) {
    if (!text.empty()) text += kEntrySeparator;
    text += task.section;
    for (const std::string& line : task.lines) text += kFieldSeparator + line;
  }
  return text;
}

std::string joinMapsBody(std::string_view settings, std::string_view maps,
                         std::string_view tasksBase64) {
  std::string body(settings);
  body += kSectionSeparator;
  body += maps;
  body += kSectionSeparator;
  body += tasksBase64;
  return body;
}

std::string buildMapsBody(const MapsAnswer& answer) {
  std::string maps;
  for (const std::string& line : mapLines(answer)) {
    if (!maps.empty()) maps += "\r\n";
    maps += line;
  }
  const std::string tasks = tasksText(answer.tasks);
  return joinMapsBody(settingsSection(answer.settings), maps,
                      tasks.empty() ? std::string() : encodeBase64(tasks));
}

std::string lengthPrefixed(const std::string& body, const Encode& compress) {
  return std::to_string(body.size()) + std::string(kLengthMarker) +
         (compress ? compress(body) : compressText(body));
}

std::string buildMapsAnswer(const MapsAnswer& answer) {
  return lengthPrefixed(buildMapsBody(answer));
}

std::vector<Task> parseTasksText(std::string_view text) {
  std::vector<Task> tasks;
  if (text.empty()) return tasks;
  const std::vector<std::string_view> entries = split(text, "|");
  for (size_t i = 0; i < entries.size(); ++i) {
    const std::vector<std::string_view> pieces = split(entries[i], "_");
    Task task;
    task.section = std::string(pieces[0]);
    if (task.section.empty()) {
      fail(Kind::MissingSection, "task " + std::to_string(i + 1) + " has no section name");
    }
    // Lines are key=value; a piece without "=" is the rest of a value that held "_".
    for (size_t p = 1; p < pieces.size(); ++p) {
      if (pieces[p].find('=') != std::string_view::npos || task.lines.empty()) {
        task.lines.emplace_back(pieces[p]);
      } else {
        task.lines.back() += kFieldSeparator;
        task.lines.back() += pieces[p];
      }
    }
    tasks.push_back(std::move(task));
  }
  return tasks;
}

MapsAnswer parseMapsBody(std::string_view body) {
  const size_t first = body.find(kSectionSeparator);
  const size_t last = body.rfind(kSectionSeparator);
  if (first == std::string_view::npos || first == last) {
    fail(Kind::MissingSection, std::string("the body has ") +
                                   (first == std::string_view::npos ? "1" : "2") +
                                   " of its 3 sections");
  }
  MapsAnswer answer;

  const std::vector<std::string_view> fields = split(body.substr(0, first), "_");
  if (fields.size() < 7) {
    fail(Kind::MissingSection,
         "the settings have " + std::to_string(fields.size()) + " fields, not 7");
  }
  // The display time is the one field that may carry "_": the others are fixed around it.
  const size_t n = fields.size();
  ServerSettings& s = answer.settings;
  s.autoload = std::string(fields[0]);
  s.displayTime = join(fields, 1, n - 5, '_');
  s.mapPlaying = decode64(fields[n - 5], "the settings' map playing");
  s.kothLimit = parseNumber(fields[n - 4], "the settings' king-of-the-hill limit");
  s.killLimit = parseNumber(fields[n - 3], "the settings' kill limit");
  s.gameScoreLimit = parseNumber(fields[n - 2], "the settings' game-score limit");
  s.mapLimit = parseNumber(fields[n - 1], "the settings' map limit");

  const size_t mapsFrom = first + kSectionSeparator.size();
  const std::vector<std::string_view> lines = split(body.substr(mapsFrom, last - mapsFrom), "\r\n");
  bool inRotation = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    if (lines[i] == kCurrentMapsMarker && !inRotation) {
      inRotation = true;
      continue;
    }
    MapLine line = parseMapLine(lines[i], "map line " + std::to_string(i + 1));
    (inRotation ? answer.rotation : answer.catalogue).push_back(std::move(line));
  }
  if (!inRotation) fail(Kind::MissingSection, "the maps have no \"[CurMaps]\" line");

  const std::string_view tasks = body.substr(last + kSectionSeparator.size());
  // Tasks that cannot be read do not hide the maps: the reader is told why instead.
  try {
    if (!tasks.empty()) answer.tasks = parseTasksText(decode64(tasks, "the tasks"));
  } catch (const ExchangeError& error) {
    answer.tasksProblem = error.what();
  }
  return answer;
}

std::string unwrapMapsAnswer(std::string_view answer) {
  if (answer == kFailedAnswer) {
    fail(Kind::ServerNotRunning, "the server is not running (the answer is \"Failed\")");
  }
  const size_t marker = answer.find(kLengthMarker);
  if (marker == std::string_view::npos) {
    fail(Kind::MissingSection, "the answer has no length marker \"[-]Tarnwick[-]\"");
  }
  const int64_t length = leadingLength(answer, marker, "the answer");
  return decompressText(answer.substr(marker + kLengthMarker.size()), length);
}

MapsAnswer parseMapsAnswer(std::string_view answer) {
  return parseMapsBody(unwrapMapsAnswer(answer));
}

std::string setMapsText(const NewRotation& rotation) {
  // Field 0 is not read by the plug-in.
  std::string text = "0";
  for (int32_t limit : {rotation.kothLimit, rotation.killLimit, rotation.gameScoreLimit}) {
    text += kFieldSeparator + std::to_string(limit);
  }
  for (const MapLine& line : rotation.rotation) {
    text += kFieldSeparator + encodeBase64(replaceAll(line.displayName, " ", "%20")) +
            kEntrySeparator + encodeBase64(line.missionFile) + kEntrySeparator +
            std::to_string(line.gameType) + kEntrySeparator + (line.custom ? "1" : "0");
  }
  return text;
}

std::string buildSetMapsData(const NewRotation& rotation) {
  const std::string text = setMapsText(rotation);
  return std::to_string(text.size()) + kEntrySeparator + encodeBase64(compressText(text));
}

std::optional<SetMapsParts> splitSetMapsData(std::string_view data) {
  const size_t bar = data.find(kEntrySeparator);
  if (bar == std::string_view::npos ||
      data.find(kEntrySeparator, bar + 1) != std::string_view::npos) {
    return std::nullopt;
  }
  return SetMapsParts{data.substr(0, bar), data.substr(bar + 1)};
}

std::vector<std::string_view> setMapsFields(std::string_view text) {
  return split(text, std::string_view(&kFieldSeparator, 1));
}

std::vector<std::string_view> setMapsEntryParts(std::string_view entry) {
  return split(entry, std::string_view(&kEntrySeparator, 1));
}

std::string unwrapSetMapsData(std::string_view data) {
  const std::optional<SetMapsParts> parts = splitSetMapsData(data);
  if (!parts) fail(Kind::MissingSection, "the data is not a length, one \"|\" and the text");
  const int64_t length = leadingLength(data, parts->length.size(), "the data");
  const std::string compressed = decode64(parts->compressedBase64, "the data");
  return decompressText(compressed, length);
}

NewRotation parseSetMapsText(std::string_view text) {
  const std::vector<std::string_view> fields = setMapsFields(text);
  if (fields.size() < kFirstSetMapsEntry) {
    fail(Kind::MissingSection,
         "the text has " + std::to_string(fields.size()) + " fields; the limits need 4");
  }
  NewRotation rotation;
  rotation.kothLimit = parseNumber(fields[1], "field 1, the king-of-the-hill limit");
  rotation.killLimit = parseNumber(fields[2], "field 2, the kill limit");
  rotation.gameScoreLimit = parseNumber(fields[3], "field 3, the game-score limit");
  for (size_t i = kFirstSetMapsEntry; i < fields.size(); ++i) {
    const std::string what = "map entry " + std::to_string(i - kFirstSetMapsEntry) + " (field " +
                             std::to_string(i) + ")";
    const std::vector<std::string_view> parts = setMapsEntryParts(fields[i]);
    if (parts.size() != 4) {
      fail(Kind::MissingSection, what + " has " + std::to_string(parts.size()) + " parts, not 4");
    }
    MapLine line;
    line.displayName = replaceAll(decode64(parts[0], what + ", display name"), "%20", " ");
    line.missionFile = decode64(parts[1], what + ", mission file");
    line.gameType = parseNumber(parts[2], what + ", game type");
    line.custom = customFlag(parts[3], what);
    rotation.rotation.push_back(std::move(line));
  }
  return rotation;
}

NewRotation parseSetMapsData(std::string_view data) {
  return parseSetMapsText(unwrapSetMapsData(data));
}

}  // namespace rotaryn::formats::exchange
