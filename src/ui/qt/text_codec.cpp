#include "ui/qt/text_codec.h"

#include <QList>

#include "formats/windows_1252.h"

namespace rotaryn {
QString fromWindows1252(const std::string& text) {
  return QString::fromStdString(formats::utf8FromWindows1252(text));
}

std::string toWindows1252(const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  for (char32_t code : text.toUcs4()) out += formats::windows1252ByteOf(code).value_or('?');
  return out;
}

QString literalCaption(const std::string& caption) {
  return fromWindows1252(caption).replace(QLatin1Char('&'), QLatin1String("&&"));
}

}  // namespace rotaryn
