#include "ui/qt/text_codec.h"

#include <array>

#include "platform/adapters/console_dialogs.h"

namespace rotaryn {
namespace {

// Code points of bytes 0x80-0x9F; 0 where the code page assigns none.
constexpr std::array<char16_t, 32> kHighControls{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char byteOf(char16_t code) {
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<char>(code);
  for (size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == code) return static_cast<char>(0x80 + i);
  }
  return '?';
}

}  // namespace

QString fromWindows1252(const std::string& text) {
  return QString::fromStdString(utf8FromWindows1252(text));
}

std::string toWindows1252(const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  for (QChar c : text) out += byteOf(c.unicode());
  return out;
}

QString literalCaption(const std::string& caption) {
  return fromWindows1252(caption).replace(QLatin1Char('&'), QLatin1String("&&"));
}

}  // namespace rotaryn
