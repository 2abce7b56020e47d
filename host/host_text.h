#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "formats/windows_1252.h"

namespace rotaryn::host {

// host.ini, the plug-in's files and the servers' texts are Windows-1252; the console, Qt and
// the plug-in's JSON interface are UTF-8.
QString fromWindows1252(const std::string& bytes);
// Throws std::invalid_argument naming a character the code page lacks.
std::string toWindows1252(const QString& text);
using formats::utf8FromWindows1252;

}  // namespace rotaryn::host
