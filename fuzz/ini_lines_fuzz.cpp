// The line tokenizer host.ini and administrators.ini share, over any text. Every line it yields
// lies in the text, in order, trimmed; written out again in the files' own form, the sections and
// settings read back the same.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "host/config/ini_lines.h"

namespace {

using rotaryn::host::IniLine;

bool trimmed(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  return text.empty() || (!blank(text.front()) && !blank(text.back()));
}

bool inside(std::string_view part, std::string_view text) {
  return part.empty() ||
         (part.data() >= text.data() && part.data() + part.size() <= text.data() + text.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto lines = rotaryn::host::iniLines(text);
  int previous = 0;
  int lineCount = 1;
  for (char c : text) lineCount += c == '\n';
  std::string written;
  std::vector<IniLine> kept;
  for (const IniLine& line : lines) {
    if (line.number <= previous || line.number > lineCount) std::abort();
    previous = line.number;
    if (!trimmed(line.name) || !trimmed(line.value) || !inside(line.name, text) ||
        !inside(line.value, text)) {
      std::abort();
    }
    if (line.kind == IniLine::Kind::kSetting) {
      if (line.name.find('=') != std::string_view::npos) std::abort();
      written += std::string(line.name) + " = " + std::string(line.value) + "\n";
      kept.push_back(line);
    } else if (line.kind == IniLine::Kind::kSection) {
      written += "[" + std::string(line.name) + "]\n";
      kept.push_back(line);
    }
  }
  const auto again = rotaryn::host::iniLines(written);
  if (again.size() != kept.size()) std::abort();
  for (size_t i = 0; i < kept.size(); ++i) {
    if (again[i].kind != kept[i].kind || again[i].name != kept[i].name ||
        again[i].value != kept[i].value || again[i].number != static_cast<int>(i) + 1) {
      std::abort();
    }
  }
  return 0;
}
