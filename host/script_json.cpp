#include "host/script_json.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>

#include "platform/windows_1252.h"

namespace rotaryn::host {
namespace {

char windowsByteOf(char32_t code) {
  if (std::optional<char> byte = windows1252ByteOf(code)) return *byte;
  char hex[16];
  std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(code));
  throw std::invalid_argument(std::string("the character ") + hex +
                              " has no Windows-1252 byte (the plug-in's text is single-byte)");
}

QJsonArray placeOf(const TwipsRect& place) {
  return QJsonArray{place.left, place.top, place.width, place.height};
}

template <class W>
void describeWidget(QJsonObject& out, const W& widget) {
  out["container"] = QString::fromStdString(widget.container);
  out["visible"] = widget.visible.get();
  out["enabled"] = widget.enabled.get();
  out["place"] = placeOf(widget.place.get());
  out["toolTip"] = fromWindows1252(widget.toolTipText.get());
}

QJsonObject describeGrid(const FlexGrid& grid) {
  QJsonObject out;
  QJsonArray rows;
  QJsonArray texts;
  for (int r = 0; r < grid.Rows(); ++r) {
    QJsonArray cells;
    QJsonArray colors;
    QString joined;
    for (int c = 0; c < grid.Cols(); ++c) {
      QString text = fromWindows1252(grid.TextMatrix(r, c));
      cells.append(text);
      colors.append(grid.backColorAt(r, c));
      joined += (c > 0 ? "\t" : "") + text;
    }
    rows.append(QJsonObject{{"cells", cells}, {"data", grid.RowData(r)}, {"colors", colors}});
    texts.append(joined);
  }
  out["rowCount"] = grid.Rows();
  out["cols"] = grid.Cols();
  out["fixedRows"] = grid.FixedRows();
  out["row"] = grid.Row();
  out["rowSel"] = grid.RowSel();
  out["col"] = grid.Col();
  out["redraw"] = grid.Redraw.get();
  out["text"] = texts;
  out["rows"] = rows;
  return out;
}

}  // namespace

std::string toWindows1252(const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  for (char32_t code : text.toUcs4()) out += windowsByteOf(code);
  return out;
}

QString fromWindows1252(const std::string& text) {
  return QString::fromStdString(utf8FromWindows1252(text));
}

QJsonValue variantToJson(const Variant& value) {
  switch (value.type()) {
    case Variant::Type::Empty:
      return QJsonValue(QJsonValue::Null);
    case Variant::Type::Boolean:
      return value.asBoolean();
    case Variant::Type::Integer:
      return value.asInteger();
    case Variant::Type::Long:
      return value.asLong();
    case Variant::Type::Double:
      return value.asDouble();
    case Variant::Type::String:
      return fromWindows1252(value.asString());
    case Variant::Type::Array: {
      QJsonArray array;
      for (const Variant& element : value.asArray()) array.append(variantToJson(element));
      return array;
    }
  }
  return QJsonValue(QJsonValue::Null);
}

Variant jsonToVariant(const QJsonValue& value) {
  switch (value.type()) {
    case QJsonValue::Null:
    case QJsonValue::Undefined:
      return Variant();
    case QJsonValue::Bool:
      return Variant(value.toBool());
    case QJsonValue::Double: {
      double number = value.toDouble();
      if (std::floor(number) == number && number >= std::numeric_limits<int32_t>::min() &&
          number <= std::numeric_limits<int32_t>::max()) {
        return Variant(static_cast<int32_t>(number));
      }
      return Variant(number);
    }
    case QJsonValue::String:
      return Variant(toWindows1252(value.toString()));
    case QJsonValue::Array: {
      Variant::Array array;
      for (const QJsonValue& element : value.toArray()) array.push_back(jsonToVariant(element));
      return Variant(std::move(array));
    }
    case QJsonValue::Object:
      break;
  }
  throw std::invalid_argument("an object cannot be passed to the plug-in; use an array");
}

QString formatDateTime(const DateTime& when) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", when.year, when.month, when.day,
                when.hour, when.minute, when.second);
  return QString::fromLatin1(text);
}

std::optional<DateTime> parseDateTime(const QString& text) {
  DateTime when{};
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
  if (!vb::IsValidDate(when.year, when.month, when.day) || when.hour > 23 || when.minute > 59 ||
      when.second > 59 || when.hour < 0 || when.minute < 0 || when.second < 0) {
    return std::nullopt;
  }
  return when;
}

QJsonObject describeControl(const ControlRef& control) {
  QJsonObject out;
  out["name"] = QString::fromStdString(controlName(control));
  out["kind"] = QString::fromUtf8(controlKind(control).data(),
                                  static_cast<qsizetype>(controlKind(control).size()));
  std::visit(
      [&out](auto* c) {
        using T = std::remove_pointer_t<decltype(c)>;
        if constexpr (std::is_base_of_v<Widget, T>) describeWidget(out, *c);
        if constexpr (std::is_same_v<T, FlexGrid>) {
          QJsonObject grid = describeGrid(*c);
          for (auto it = grid.begin(); it != grid.end(); ++it) out[it.key()] = it.value();
        } else if constexpr (std::is_same_v<T, TextBox>) {
          out["text"] = fromWindows1252(c->text.get());
        } else if constexpr (std::is_same_v<T, CheckBox>) {
          out["caption"] = fromWindows1252(c->caption.get());
          out["value"] = c->value.get();
        } else if constexpr (std::is_same_v<T, Slider>) {
          out["value"] = c->value.get();
          out["min"] = c->min;
          out["max"] = c->max;
        } else if constexpr (std::is_same_v<T, ComboBox>) {
          out["text"] = fromWindows1252(c->text.get());
          QJsonArray items;
          for (const std::string& item : c->items()) items.append(fromWindows1252(item));
          out["items"] = items;
        } else if constexpr (std::is_same_v<T, DatePicker>) {
          out["value"] = formatDateTime(c->value.get());
          out["format"] = QString::fromStdString(c->customFormat);
        } else if constexpr (std::is_same_v<T, TabControl>) {
          out["tab"] = c->tab.get();
          QJsonArray captions;
          for (const std::string& caption : c->captions) captions.append(fromWindows1252(caption));
          out["captions"] = captions;
        } else if constexpr (std::is_same_v<T, Menu>) {
          out["caption"] = fromWindows1252(c->caption);
          QJsonArray items;
          for (const MenuItem* item : c->items) items.append(QString::fromStdString(item->name()));
          out["items"] = items;
          out["popups"] = c->popups;
        } else if constexpr (std::is_same_v<T, MenuItem>) {
          out["caption"] = fromWindows1252(c->caption.get());
          out["enabled"] = c->enabled.get();
        } else {
          out["caption"] = fromWindows1252(c->caption.get());
        }
      },
      control);
  return out;
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
