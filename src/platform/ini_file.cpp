#include "platform/ini_file.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "formats/windows_1252.h"
#include "platform/vb_error.h"
#include "platform/vb_runtime.h"

namespace rotaryn {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr size_t kMaxValueLength = 254;  // a 255-character buffer less its NUL
constexpr const char* kNewLineEnd = "\r\n";

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string trim(std::string_view text) {
  return std::string(trimmed(text));
}

enum class LineKind { Blank, Comment, Section, Key };

// What one line says, as views into its text. Every reader and writer classifies lines here, so
// they agree on what a line is.
struct LineView {
  LineKind kind = LineKind::Blank;
  std::string_view name;   // section or key name, trimmed
  std::string_view value;  // key value, trimmed
  bool hasValue = false;
};

LineView classify(std::string_view text) {
  LineView line;
  const std::string_view content = trimmed(text);
  if (content.empty()) return line;
  if (content[0] == ';') {
    line.kind = LineKind::Comment;
    return line;
  }
  const size_t close = content.rfind(']');
  if (content[0] == '[' && close != std::string_view::npos && close > 0) {
    line.kind = LineKind::Section;
    line.name = trimmed(content.substr(1, close - 1));
    return line;
  }
  // A "[" without "]" is not a header: it is read like any other line, as a key.
  line.kind = LineKind::Key;
  const size_t equals = content.find('=');
  if (equals == std::string_view::npos) {
    line.name = content;
  } else {
    line.name = trimmed(content.substr(0, equals));
    line.value = trimmed(content.substr(equals + 1));
    line.hasValue = true;
  }
  return line;
}

// The first CR or LF at or after from, or size when there is none. Eight bytes at a time: lines
// of settings files are short, too short for a library search to pay for its call.
size_t nextLineBreak(const char* data, size_t from, size_t size) {
  size_t i = from;
  if constexpr (std::endian::native == std::endian::little) {
    constexpr uint64_t kOnes = 0x0101010101010101u;
    constexpr uint64_t kHighs = 0x8080808080808080u;
    for (; i + 8 <= size; i += 8) {
      uint64_t word;
      std::memcpy(&word, data + i, 8);
      const uint64_t lf = word ^ (kOnes * '\n');
      const uint64_t cr = word ^ (kOnes * '\r');
      // The lowest byte flagged is the first zero byte of lf or cr: a CR or LF.
      const uint64_t found = ((lf - kOnes) & ~lf & kHighs) | ((cr - kOnes) & ~cr & kHighs);
      if (found != 0) return i + static_cast<size_t>(std::countr_zero(found) / 8);
    }
  }
  for (; i < size; ++i) {
    if (data[i] == '\n' || data[i] == '\r') return i;
  }
  return size;
}

// Where the line after the line break at stop starts.
size_t afterLineBreak(std::string_view bytes, size_t stop) {
  if (stop >= bytes.size()) return bytes.size();
  return stop +
         ((bytes[stop] == '\r' && stop + 1 < bytes.size() && bytes[stop + 1] == '\n') ? 2 : 1);
}

// A line ends at CRLF, LF or a CR alone (old Mac editors write those, and Windows reads them).
// Calls visit(text, end) for each line until it answers false.
template <typename Visit>
void forEachLine(std::string_view bytes, Visit visit) {
  const char* data = bytes.data();
  const size_t size = bytes.size();
  for (size_t start = 0; start < size;) {
    const size_t stop = nextLineBreak(data, start, size);
    const size_t after = afterLineBreak(bytes, stop);
    if (!visit(bytes.substr(start, stop - start), bytes.substr(stop, after - stop))) return;
    start = after;
  }
}

// The text after a UTF-8 mark left by an editor (kept on writes, never parsed).
std::string_view withoutMark(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Mark)) bytes.remove_prefix(kUtf8Mark.size());
  return bytes;
}

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
  const LineView view = classify(line.text);
  line.kind = view.kind;
  line.name = view.name;
  line.value = view.value;
  line.hasValue = view.hasValue;
  return line;
}

struct Document {
  std::string prefix;  // a UTF-8 mark left by an editor, kept but not parsed
  std::vector<Line> lines;
};

Document parse(std::string_view bytes) {
  Document document;
  const std::string_view text = withoutMark(bytes);
  document.prefix = bytes.substr(0, bytes.size() - text.size());
  forEachLine(text, [&](std::string_view line, std::string_view end) {
    document.lines.push_back(makeLine(std::string(line), std::string(end)));
    return true;
  });
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

std::string_view unquoted(std::string_view value) {
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

std::string cut(std::string_view text) {
  return std::string(text.substr(0, kMaxValueLength));
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

std::optional<std::string> contents(FileSystem& files, const std::string& path) {
  if (!files.FileExists(path)) return std::nullopt;
  return files.ReadAll(path);
}

std::optional<Document> load(FileSystem& files, const std::string& path) {
  auto bytes = contents(files, path);
  if (!bytes) return std::nullopt;
  return parse(*bytes);
}

// Calls visit(line, next) for each section header line in bytes from position from on, until
// it answers false; next is where the line after it starts. A header is a line whose first
// character other than blanks is "["; the lines between are skipped without being split, by
// looking only at each "[" and what stands before it on its line.
template <typename Visit>
void forEachHeaderLine(std::string_view bytes, size_t from, Visit visit) {
  const char* data = bytes.data();
  const size_t size = bytes.size();
  for (size_t at = from; at < size;) {
    const void* found = std::memchr(data + at, '[', size - at);
    if (found == nullptr) return;
    const size_t open = static_cast<size_t>(static_cast<const char*>(found) - data);
    size_t start = open;
    while (start > from && isBlank(data[start - 1]) && data[start - 1] != '\r' &&
           data[start - 1] != '\n') {
      --start;
    }
    at = open + 1;
    if (start > from && data[start - 1] != '\r' && data[start - 1] != '\n') continue;
    const size_t stop = nextLineBreak(data, open, size);
    at = afterLineBreak(bytes, stop);
    if (!visit(bytes.substr(start, stop - start), at)) return;
  }
}

// The readers walk the bytes once and stop as soon as they know their answer: before the wanted
// section only header lines are looked at, and nothing is copied but the answer.
// visit(line) sees each line of the first section of that name (the first one wins) up to the
// next header, and answers false to stop. False when there is no such section.
template <typename Visit>
bool forEachLineOfSection(std::string_view bytes, std::string_view section, Visit visit) {
  const std::string_view text = withoutMark(bytes);
  std::optional<size_t> body;
  forEachHeaderLine(text, 0, [&](std::string_view line, size_t next) {
    const LineView header = classify(line);
    if (header.kind != LineKind::Section || !vb::EqualsText(header.name, section)) return true;
    body = next;
    return false;
  });
  if (!body) return false;
  forEachLine(text.substr(*body), [&](std::string_view line, std::string_view) {
    const LineView view = classify(line);
    return view.kind != LineKind::Section && visit(view);
  });
  return true;
}

// A key line as the section listings give it: "key=value", or the name alone without "=".
std::string listed(const LineView& line) {
  std::string text(line.name);
  if (line.hasValue) {
    text += '=';
    text += line.value;
  }
  return text;
}

}  // namespace

void logIniFailureToStandardError(const IniWriteFailure& failure) {
  std::fprintf(stderr, "rotaryn: INI file not written: Error %d: %s\n", failure.reason.number(),
               formats::utf8FromWindows1252(failure.reason.description()).c_str());
}

std::string IniFile::read(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& defaultValue) const {
  std::string_view fallback = defaultValue;
  while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);
  auto bytes = contents(files_, path);
  if (!bytes) return cut(fallback);
  const std::string wanted = trim(key);
  std::optional<std::string> value;
  forEachLineOfSection(*bytes, trimmed(section), [&](const LineView& line) {
    if (line.kind != LineKind::Key || !vb::EqualsText(line.name, wanted)) return true;
    // The first key of that name answers; without "=" it has no value.
    if (line.hasValue) value = cut(unquoted(line.value));
    return false;
  });
  return value ? std::move(*value) : cut(fallback);
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
  auto bytes = contents(files_, path);
  if (!bytes) return names;
  // A repeated section is listed once: lookups only ever reach its first occurrence.
  std::unordered_set<std::string> seen;
  forEachHeaderLine(withoutMark(*bytes), 0, [&](std::string_view text, size_t) {
    const LineView line = classify(text);
    if (line.kind == LineKind::Section && seen.insert(vb::UCase(line.name)).second) {
      names.emplace_back(line.name);
    }
    return true;
  });
  return names;
}

std::vector<std::string> IniFile::sectionLines(const std::string& path,
                                               const std::string& section) const {
  std::vector<std::string> result;
  auto bytes = contents(files_, path);
  if (!bytes) return result;
  forEachLineOfSection(*bytes, trimmed(section), [&](const LineView& line) {
    if (line.kind == LineKind::Key) result.push_back(listed(line));
    return true;
  });
  return result;
}

std::vector<IniFile::Section> IniFile::sections(const std::string& path) const {
  std::vector<Section> result;
  auto bytes = contents(files_, path);
  if (!bytes) return result;
  std::unordered_set<std::string> seen;
  // The lines of a repeated section are not listed: lookups only ever reach its first one.
  bool listing = false;
  forEachLine(withoutMark(*bytes), [&](std::string_view text, std::string_view) {
    const LineView line = classify(text);
    if (line.kind == LineKind::Section) {
      listing = seen.insert(vb::UCase(line.name)).second;
      if (listing) result.push_back(Section{std::string(line.name), {}});
    } else if (listing && line.kind == LineKind::Key) {
      result.back().lines.push_back(listed(line));
    }
    return true;
  });
  return result;
}

}  // namespace rotaryn
