#include "ui/qt/window_fonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QStringList>

namespace rotaryn {
namespace {

constexpr int kPointSize = 8;

QString tahomaFamily() {
  if (QFontDatabase::families().contains(QStringLiteral("Tahoma"), Qt::CaseInsensitive)) {
    return QStringLiteral("Tahoma");
  }
  const QStringList copies = {QStringLiteral("/usr/share/wine/fonts/tahoma.ttf"),
                              QStringLiteral("/usr/share/fonts/truetype/wine/tahoma.ttf")};
  for (const QString& path : copies) {
    if (!QFile::exists(path)) continue;
    int id = QFontDatabase::addApplicationFont(path);
    QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (!families.isEmpty()) return families.front();
  }
  return {};
}

}  // namespace

QFont windowFont() {
  static const QString family = tahomaFamily();
  QFont font(family.isEmpty() ? QStringLiteral("DejaVu Sans Condensed") : family, kPointSize);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

}  // namespace rotaryn
