#pragma once

#include <string>

#include <QString>

namespace rotaryn {

// The core keeps single-byte Windows-1252 text; Qt speaks Unicode. Conversions happen here, at
// the view's edge, and nowhere else.
QString fromWindows1252(const std::string& text);
// Characters the code page lacks become "?", as Windows does when it narrows text.
std::string toWindows1252(const QString& text);

// A caption as the widget must be given it so that "&" shows as itself, not as a shortcut mark.
QString literalCaption(const std::string& caption);

}  // namespace rotaryn
