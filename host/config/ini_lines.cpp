#include "host/config/ini_lines.h"

namespace rotaryn::host {

std::string_view trimIni(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

std::string asciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::vector<IniLine> iniLines(std::string_view text) {
  std::vector<IniLine> lines;
  int number = 0;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = trimIni(text.substr(start, end - start));
    start = end + 1;
    ++number;
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      if (line.back() != ']') {
        lines.push_back({IniLine::Kind::kUnclosedSection, number, {}, {}});
      } else {
        lines.push_back(
            {IniLine::Kind::kSection, number, trimIni(line.substr(1, line.size() - 2)), {}});
      }
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      lines.push_back({IniLine::Kind::kNotASetting, number, {}, {}});
    } else {
      lines.push_back({IniLine::Kind::kSetting, number, trimIni(line.substr(0, equals)),
                       trimIni(line.substr(equals + 1))});
    }
  }
  return lines;
}

}  // namespace rotaryn::host
