#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <optional>

#include "host/host_text.h"
#include "host/port_table.h"

namespace rotaryn::host {

// "yyyy-mm-dd hh:mm:ss".
QString formatDateTime(const LocalTime& when);
// The same, or a date alone ("yyyy-mm-dd", midnight); nullopt when it is not a valid one.
std::optional<LocalTime> parseDateTime(const QString& text);

// The part of a JSON value a JSON pointer ("/rows/2/cells/0") names; "" is the whole value.
// nullopt when there is nothing there.
std::optional<QJsonValue> valueAt(const QJsonValue& root, const QString& pointer);

}  // namespace rotaryn::host
