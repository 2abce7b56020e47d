#include "host/host_text.h"

#include <QList>
#include <stdexcept>

#include "formats/windows_1252.h"

namespace rotaryn::host {

QString fromWindows1252(const std::string& bytes) {
  return QString::fromStdString(formats::utf8FromWindows1252(bytes));
}

std::string toWindows1252(const QString& text) {
  std::string out;
  for (char32_t code : text.toUcs4()) {
    const std::optional<char> byte = formats::windows1252ByteOf(code);
    if (!byte) {
      throw std::invalid_argument(
          "the character U+" +
          QString::number(static_cast<uint>(code), 16).toUpper().toStdString() +
          " has no Windows-1252 byte (the plug-in's text is single-byte)");
    }
    out += *byte;
  }
  return out;
}

}  // namespace rotaryn::host
