#include "host/host_text.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>
#include <stdexcept>

namespace rotaryn::host {

QString fromWindows1252(const std::string& bytes) {
  QStringDecoder decode("windows-1252");
  return decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string toWindows1252(const QString& text) {
  QStringEncoder encode("windows-1252", QStringConverter::Flag::Stateless);
  QStringDecoder decode("windows-1252", QStringConverter::Flag::Stateless);
  std::string out;
  for (char32_t code : text.toUcs4()) {
    QString character = QString::fromUcs4(&code, 1);
    QByteArray byte = encode(character);
    // The encoder substitutes a character the code page lacks; it then does not come back.
    if (byte.size() != 1 || decode(byte) != character) {
      throw std::invalid_argument(
          "the character U+" +
          QString::number(static_cast<uint>(code), 16).toUpper().toStdString() +
          " has no Windows-1252 byte (the plug-in's text is single-byte)");
    }
    out += byte[0];
  }
  return out;
}

std::string utf8FromWindows1252(std::string_view bytes) {
  return fromWindows1252(std::string(bytes)).toStdString();
}

}  // namespace rotaryn::host
