#include "ui/qt/file_filter.h"

#include <QStringList>

#include "ui/qt/text_codec.h"

namespace rotaryn {

QString qtFileFilter(const std::string& filter) {
  QStringList parts = fromWindows1252(filter).split(QLatin1Char('|'));
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& pattern : patterns) pattern = pattern.trimmed();
    QString list = patterns.join(QLatin1Char(' '));
    // Qt reads the patterns from the last brackets of an entry, so they must be the real ones.
    QString bracketed = QLatin1Char('(') + list + QLatin1Char(')');
    if (description.endsWith(bracketed)) {
      entries << description;
    } else {
      entries << (description.isEmpty() ? bracketed : description + QLatin1Char(' ') + bracketed);
    }
  }
  return entries.join(QLatin1String(";;"));
}

}  // namespace rotaryn
