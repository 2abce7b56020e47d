#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace rotaryn::host {

// host.ini, the plug-in's files and the servers' texts are Windows-1252; the console, Qt and
// the plug-in's JSON interface are UTF-8.
QString fromWindows1252(const std::string& bytes);
// Throws std::invalid_argument naming a character the code page lacks.
std::string toWindows1252(const QString& text);
std::string utf8FromWindows1252(std::string_view bytes);
// A file name from host.ini as this machine's (UTF-8) name.
inline std::string utf8NameFromWindows1252(std::string_view name) {
  return utf8FromWindows1252(name);
}

}  // namespace rotaryn::host
