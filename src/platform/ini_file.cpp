#include "platform/ini_file.h"

#include <cstdio>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "formats/windows_1252.h"
#include "platform/vb_error.h"
#include "platform/vb_runtime.h"

namespace rotaryn {

namespace {

constexpr std::string_view kBlanks = " \t\r\n\v\f";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr size_t kMaxValueLength = 254;  // a 255-character buffer less its NUL
constexpr const char* kNewLineEnd = "\r\n";

std::string trim(std::string_view text) {
  size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(kBlanks);
  return std::string(text.substr(first, last - first + 1));
}

enum class LineKind { Blank, Comment, Section, Key };

// One line of the file as read; untouched lines are written back byte for byte.
struct Line {
  std::string text;  // without its line end
  std::string end;   // "\r\n", "\n", "\r", or "" on a last line without one
  LineKind kind = LineKind::Blank;
  std::string name;   // section or key name, trimmed
  std::string value;  // key value, trimmed
  bool hasValue = false;
};

Line makeLine(std::string text, std::string end) {
  Line line{std::move(text), std::move(end)};
  std::string trimmed = trim(line.text);
  if (trimmed.empty()) return line;
  if (trimmed[0] == ';') {
    line.kind = LineKind::Comment;
    return line;
  }
  size_t close = trimmed.rfind(']');
  if (trimmed[0] == '[' && close != std::string::npos && close > 0) {
    line.kind = LineKind::Section;
    line.name = trim(std::string_view(trimmed).substr(1, close - 1));
    return line;
  }
  // A "[" without "]" is not a header: it is read like any other line, as a key.
  line.kind = LineKind::Key;
  size_t equals = trimmed.find('=');
  if (equals == std::string::npos) {
    line.name = trimmed;
  } else {
    line.name = trim(std::string_view(trimmed).substr(0, equals));
    line.value = trim(std::string_view(trimmed).substr(equals + 1));
    line.hasValue = true;
  }
  return line;
}

struct Document {
  std::string prefix;  // a UTF-8 mark left by an editor, kept but not parsed
  std::vector<Line> lines;
};

// A line ends at CRLF, LF or a CR alone (old Mac editors write those, and Windows reads them).
Document parse(std::string_view bytes) {
  Document document;
  if (bytes.starts_with(kUtf8Mark)) {
    document.prefix = kUtf8Mark;
    bytes.remove_prefix(kUtf8Mark.size());
  }
  size_t start = 0;
  while (start < bytes.size()) {
    size_t stop = bytes.find_first_of("\r\n", start);
    if (stop == std::string_view::npos) stop = bytes.size();
    size_t next = stop;
    if (next < bytes.size()) next += bytes.substr(next, 2) == "\r\n" ? 2 : 1;
    document.lines.push_back(makeLine(std::string(bytes.substr(start, stop - start)),
                                      std::string(bytes.substr(stop, next - stop))));
    start = next;
  }
  return document;
}

std::string serialise(const Document& document) {
  std::string bytes = document.prefix;
  for (const Line& line : document.lines) bytes += line.text + line.end;
  return bytes;
}

// Lines [header + 1, end) of the first section of that name; the first one wins.
struct SectionRange {
  size_t header;
  size_t end;
};

std::optional<SectionRange> findSection(const Document& document, const std::string& name) {
  const auto& lines = document.lines;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind != LineKind::Section || !vb::EqualsText(lines[i].name, name)) continue;
    size_t end = i + 1;
    while (end < lines.size() && lines[end].kind != LineKind::Section) ++end;
    return SectionRange{i, end};
  }
  return std::nullopt;
}

std::optional<size_t> findKey(const Document& document, const SectionRange& section,
                              const std::string& key) {
  for (size_t i = section.header + 1; i < section.end; ++i) {
    const Line& line = document.lines[i];
    if (line.kind == LineKind::Key && vb::EqualsText(line.name, key)) return i;
  }
  return std::nullopt;
}

std::string unquoted(const std::string& value) {
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

std::string cut(std::string text) {
  if (text.size() > kMaxValueLength) text.resize(kMaxValueLength);
  return text;
}

// A line break inside a name or value would turn into lines of its own on the next read.
void requireSingleLine(const std::string& path, std::string_view what, const std::string& text) {
  if (text.find_first_of("\r\n") != std::string::npos) {
    raiseVbError(vberr::kInvalidCall, "Invalid procedure call or argument: the " +
                                          std::string(what) + " for " + path +
                                          " contains a line break");
  }
}

// The line before an insertion point needs an end of its own.
void endLineBefore(Document& document, size_t position) {
  if (position > 0 && document.lines[position - 1].end.empty()) {
    document.lines[position - 1].end = kNewLineEnd;
  }
}

std::optional<Document> load(FileSystem& files, const std::string& path) {
  if (!files.FileExists(path)) return std::nullopt;
  return parse(files.ReadAll(path));
}

}  // namespace

void logIniFailureToStandardError(const IniWriteFailure& failure) {
  std::fprintf(stderr, "rotaryn: INI file not written: Error %d: %s\n", failure.reason.number(),
               formats::utf8FromWindows1252(failure.reason.description()).c_str());
}

std::string IniFile::read(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& defaultValue) const {
  std::string fallback = defaultValue;
  while (!fallback.empty() && fallback.back() == ' ') fallback.pop_back();
  auto document = load(files_, path);
  if (!document) return cut(fallback);
  auto range = findSection(*document, trim(section));
  if (!range) return cut(fallback);
  auto index = findKey(*document, *range, trim(key));
  if (!index || !document->lines[*index].hasValue) return cut(fallback);
  return cut(unquoted(document->lines[*index].value));
}

namespace {

// Key writes into one section of a parsed file, each exactly as a write that reads the file
// again would do it, with the section's keys indexed so a long group stays linear.
class SectionWriter {
 public:
  SectionWriter(Document& document, std::string section)
      : document_(document), section_(std::move(section)) {
    index();
  }

  // False when the key already holds the value.
  bool write(const std::string& keyName, const std::string& value) {
    auto& lines = document_.lines;
    if (!header_) {
      // A new section goes at the end, with no blank line before it.
      endLineBefore(document_, lines.size());
      lines.push_back(makeLine("[" + section_ + "]", kNewLineEnd));
      index();
    }
    auto found = keys_.find(vb::UCase(keyName));
    if (found != keys_.end()) {
      Line& line = lines[found->second];
      if (line.hasValue && line.value == value) return false;
      line = makeLine(line.name + "=" + value, line.end);
      if (line.kind != LineKind::Key) index();
      return true;
    }
    // A new key goes after the last key of its section, or right after the header.
    const size_t position = lastKey_ + 1;
    endLineBefore(document_, position);
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(position),
                 makeLine(keyName + "=" + value, kNewLineEnd));
    const Line& added = lines[position];
    if (added.kind == LineKind::Section) {
      index();
    } else if (added.kind == LineKind::Key) {
      keys_.emplace(vb::UCase(added.name), position);  // an earlier key of that name wins
      lastKey_ = position;
    }
    return true;
  }

 private:
  void index() {
    keys_.clear();
    auto range = findSection(document_, section_);
    header_ = range.has_value();
    if (!range) return;
    lastKey_ = range->header;
    for (size_t i = range->header + 1; i < range->end; ++i) {
      const Line& line = document_.lines[i];
      if (line.kind != LineKind::Key) continue;
      keys_.emplace(vb::UCase(line.name), i);
      lastKey_ = i;
    }
  }

  Document& document_;
  std::string section_;
  bool header_ = false;
  size_t lastKey_ = 0;
  std::unordered_map<std::string, size_t> keys_;
};

}  // namespace

bool IniFile::write(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value) {
  return write(path, section, {{key, value}});
}

bool IniFile::write(const std::string& path, const std::string& section,
                    const std::vector<std::pair<std::string, std::string>>& values) {
  requireSingleLine(path, "section name", section);
  for (const auto& [key, value] : values) {
    requireSingleLine(path, "key name", key);
    requireSingleLine(path, "value", value);
  }
  return reporting(path, [&] {
    Document document = load(files_, path).value_or(Document{});
    SectionWriter writer(document, trim(section));
    bool changed = false;
    for (const auto& [key, value] : values) changed = writer.write(trim(key), value) || changed;
    if (changed) files_.ReplaceAll(path, serialise(document));  // else the file stays untouched
  });
}

bool IniFile::deleteKey(const std::string& path, const std::string& section,
                        const std::string& key) {
  return reporting(path, [&] {
    auto document = load(files_, path);
    if (!document) return;
    auto range = findSection(*document, trim(section));
    if (!range) return;
    auto index = findKey(*document, *range, trim(key));
    if (!index) return;
    document->lines.erase(document->lines.begin() + static_cast<std::ptrdiff_t>(*index));
    files_.ReplaceAll(path, serialise(*document));
  });
}

bool IniFile::deleteSection(const std::string& path, const std::string& section) {
  return reporting(path, [&] {
    auto document = load(files_, path);
    if (!document) return;
    auto range = findSection(*document, trim(section));
    if (!range) return;
    auto& lines = document->lines;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(range->header),
                lines.begin() + static_cast<std::ptrdiff_t>(range->end));
    files_.ReplaceAll(path, serialise(*document));
  });
}

bool IniFile::reporting(const std::string& path, const std::function<void()>& change) {
  try {
    change();
    return true;
  } catch (const VbError& error) {
    VbError reason = error.description().find(path) == std::string::npos
                         ? VbError(error.number(), error.description() + ": " + path)
                         : error;
    if (onWriteFailure_) onWriteFailure_(IniWriteFailure{path, std::move(reason)});
    return false;
  }
}

std::vector<std::string> IniFile::sectionNames(const std::string& path) const {
  std::vector<std::string> names;
  auto document = load(files_, path);
  if (!document) return names;
  // A repeated section is listed once: lookups only ever reach its first occurrence.
  for (const Line& line : document->lines) {
    if (line.kind != LineKind::Section) continue;
    bool seen = false;
    for (const auto& name : names) seen = seen || vb::EqualsText(name, line.name);
    if (!seen) names.push_back(line.name);
  }
  return names;
}

std::vector<std::string> IniFile::sectionLines(const std::string& path,
                                               const std::string& section) const {
  std::vector<std::string> result;
  auto document = load(files_, path);
  if (!document) return result;
  auto range = findSection(*document, trim(section));
  if (!range) return result;
  for (size_t i = range->header + 1; i < range->end; ++i) {
    const Line& line = document->lines[i];
    if (line.kind != LineKind::Key) continue;
    result.push_back(line.hasValue ? line.name + "=" + line.value : line.name);
  }
  return result;
}

}  // namespace rotaryn
