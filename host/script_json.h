#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <optional>
#include <string>

#include "host/window_controls.h"
#include "platform/variant.h"
#include "platform/vb_date.h"

namespace rotaryn::host {

// The core's single-byte text (Windows-1252) and the JSON's Unicode. A character the code page
// lacks throws std::invalid_argument naming it.
std::string toWindows1252(const QString& text);
QString fromWindows1252(const std::string& text);

// Empty -> null, Boolean -> true/false, numbers -> numbers, String -> text, Array -> array.
QJsonValue variantToJson(const Variant& value);
// null -> Empty, whole numbers within 32 bits -> Long, other numbers -> Double, text -> String,
// arrays -> Array. Objects throw std::invalid_argument.
Variant jsonToVariant(const QJsonValue& value);

// "yyyy-mm-dd hh:mm:ss".
QString formatDateTime(const DateTime& when);
// "yyyy-mm-dd hh:mm:ss", "yyyy-mm-ddThh:mm:ss" or "yyyy-mm-dd"; nullopt when malformed or not
// a real date.
std::optional<DateTime> parseDateTime(const QString& text);

// What a control shows, by kind: caption, text, value, items, grid rows, placement, ...
QJsonObject describeControl(const ControlRef& control);

// The value at a JSON pointer ("/rows/0/text"; "" is the whole value). An array index may be
// negative, counting from the end ("/-1" is the last element). nullopt when nothing is there.
std::optional<QJsonValue> valueAt(const QJsonValue& root, const QString& pointer);

}  // namespace rotaryn::host
