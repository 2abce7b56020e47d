#include "host/script/json.h"

namespace rotaryn::host {

QString formatDateTime(const LocalTime& when) {
  return QString::fromStdString(formats::formatCivilTime(when));
}

std::optional<LocalTime> parseDateTime(const QString& text) {
  return formats::parseCivilTime(text.toStdString());
}

std::optional<QJsonValue> valueAt(const QJsonValue& root, const QString& pointer) {
  if (pointer.isEmpty()) return root;
  if (!pointer.startsWith('/')) return std::nullopt;
  QJsonValue current = root;
  for (QString token : pointer.mid(1).split('/')) {
    token.replace("~1", "/").replace("~0", "~");
    if (current.isObject()) {
      QJsonObject object = current.toObject();
      if (!object.contains(token)) return std::nullopt;
      current = object.value(token);
    } else if (current.isArray()) {
      QJsonArray array = current.toArray();
      bool isNumber = false;
      qsizetype index = token.toLongLong(&isNumber);
      if (!isNumber) return std::nullopt;
      if (index < 0) index += array.size();
      if (index < 0 || index >= array.size()) return std::nullopt;
      current = array.at(index);
    } else {
      return std::nullopt;
    }
  }
  return current;
}

}  // namespace rotaryn::host
