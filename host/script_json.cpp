#include "host/script_json.h"

#include <QDate>
#include <cstdio>

namespace rotaryn::host {

QString formatDateTime(const LocalTime& when) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", when.year, when.month, when.day,
                when.hour, when.minute, when.second);
  return QString::fromLatin1(text);
}

std::optional<LocalTime> parseDateTime(const QString& text) {
  LocalTime when{};
  std::string s = text.toStdString();
  char separator = 0;
  int used = 0;
  int fields =
      std::sscanf(s.c_str(), "%4d-%2d-%2d%n%c%2d:%2d:%2d%n", &when.year, &when.month, &when.day,
                  &used, &separator, &when.hour, &when.minute, &when.second, &used);
  if (fields == 3 && static_cast<size_t>(used) == s.size()) {
    when.hour = when.minute = when.second = 0;
  } else if (fields != 7 || (separator != ' ' && separator != 'T') ||
             static_cast<size_t>(used) != s.size()) {
    return std::nullopt;
  }
  if (!QDate::isValid(when.year, when.month, when.day) || when.hour > 23 || when.minute > 59 ||
      when.second > 59 || when.hour < 0 || when.minute < 0 || when.second < 0) {
    return std::nullopt;
  }
  return when;
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
