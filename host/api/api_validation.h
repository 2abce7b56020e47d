#pragma once

#include <QByteArrayView>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

// What an operation's data must be before the plug-in is called with it. The plug-in takes a
// task or an upload on trust: a task it cannot run stops every later task of the profile, and an
// upload it cannot read fails after the call has begun. Each check answers why the data is
// refused, or an empty text.
#include "host/plugin_description.h"

namespace rotaryn::host::api {

using ApiOperation = RemoteOperation;

// "dd/mm/yyyy hh:mm:ss": a real calendar date and a 24-hour time, two digits each, a 4-digit year.
QString taskWhenProblem(QByteArrayView text);
// Once, Every Day, Every Week or Every Month, as the window lists them.
QString taskFrequencyProblem(QByteArrayView text);
// "Random", or one map-list file of the settings folder: a plain name ending in ".mpl".
QString taskFileProblem(QByteArrayView text);

// The decoded data of AddTaskRem ("when|file|frequency") and EditTaskRem ("old|new|file|
// frequency"). The old task of an edit is named only: a broken one may be replaced.
QString addTaskProblem(QByteArrayView decoded);
QString editTaskProblem(QByteArrayView decoded);
// DeleteTaskRem's plain task name: one line, not empty.
QString taskNameProblem(QByteArrayView name);

// The byte list of AddFileRem after its "|": each byte as a whole number 0-255 followed by "/".
QString byteListProblem(QByteArrayView list);

// A text the plug-in receives must fit its code page, Windows-1252.
QString windows1252Problem(const QString& text);

// What an operation acts on, for its audit line, read as far as the data allows: "file" (an
// upload or delete), "task" and "newTask" (dd/mm/yyyy hh:mm:ss), "taskFile", "frequency",
// "rotationLength", "position", "value". Texts are cut to 200 characters.
QJsonObject auditTarget(const ApiOperation& operation, const QJsonValue& data);

}  // namespace rotaryn::host::api
