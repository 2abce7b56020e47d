#include "host/api/api_validation.h"

#include <QList>
#include <QStringList>
#include <algorithm>
#include <array>
#include <optional>

#include "formats/exchange_codec.h"
#include "formats/task_dates.h"
#include "host/api/api_request.h"
#include "host/host_text.h"

namespace rotaryn::host::api {
namespace {

// The text as it may be quoted in an answer: printable, and not too long to read.
QString quoted(QByteArrayView text) {
  QString shown;
  for (char c : text.first(std::min<qsizetype>(text.size(), 60))) {
    const auto byte = static_cast<unsigned char>(c);
    shown += byte < 0x20 || byte == 0x7F ? QString("\\x%1").arg(byte, 2, 16, QChar('0'))
                                         : QString(QChar(byte));
  }
  if (text.size() > 60) shown += "...";
  return "\"" + shown + "\"";
}

bool hasControl(QByteArrayView text) {
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return true;
  }
  return false;
}

}  // namespace

QString taskWhenProblem(QByteArrayView text) {
  const formats::TaskWhenProblem problem =
      formats::taskWhenProblem(std::string_view(text.data(), static_cast<size_t>(text.size())));
  if (problem.form()) return quoted(text) + " is no task date and time dd/mm/yyyy hh:mm:ss";
  if (problem.date != formats::TaskTextProblem::None) {
    return quoted(text) + " names no calendar date";
  }
  if (problem.time != formats::TaskTextProblem::None) return quoted(text) + " names no time of day";
  return {};
}

QString taskFrequencyProblem(QByteArrayView text) {
  if (formats::taskFrequency(std::string_view(text.data(), static_cast<size_t>(text.size())))) {
    return {};
  }
  QStringList names;
  for (std::string_view name : formats::kTaskFrequencies) {
    names << QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  }
  return "the frequency " + quoted(text) + " is not one of " + names.join(", ");
}

QString taskFileProblem(QByteArrayView text) {
  if (text == QByteArrayView("Random")) return {};
  const bool mapList = text.size() > 4 && text.last(4).compare(".mpl", Qt::CaseInsensitive) == 0;
  if (!mapList || !isPlainFileName(text) || text.contains("..")) {
    return "the task's file " + quoted(text) +
           " is neither Random nor one .mpl file of the settings folder (no path, no \"..\")";
  }
  return {};
}

QString taskNameProblem(QByteArrayView name) {
  if (name.isEmpty() || hasControl(name) || name.contains(']')) {
    return "the task " + quoted(name) + " cannot be a task's name";
  }
  return {};
}

QString addTaskProblem(QByteArrayView decoded) {
  const QList<QByteArray> fields = decoded.toByteArray().split('|');
  if (fields.size() != 3) {
    return QString("a new task is date and time|file|frequency: %1 fields, not 3")
        .arg(fields.size());
  }
  for (QString problem :
       {taskWhenProblem(fields[0]), taskFileProblem(fields[1]), taskFrequencyProblem(fields[2])}) {
    if (!problem.isEmpty()) return problem;
  }
  return {};
}

QString editTaskProblem(QByteArrayView decoded) {
  const QList<QByteArray> fields = decoded.toByteArray().split('|');
  if (fields.size() != 4) {
    return QString(
               "an edited task is old date and time|new date and time|file|frequency: %1 "
               "fields, not 4")
        .arg(fields.size());
  }
  for (QString problem : {taskNameProblem(fields[0]), taskWhenProblem(fields[1]),
                          taskFileProblem(fields[2]), taskFrequencyProblem(fields[3])}) {
    if (!problem.isEmpty()) return problem;
  }
  return {};
}

QString byteListProblem(QByteArrayView list) {
  if (list.isEmpty()) return "the upload holds no bytes";
  if (!list.endsWith('/')) return "the byte list ends with \"/\"";
  qsizetype start = 0;
  qsizetype index = 0;
  while (start < list.size()) {
    const qsizetype end = list.indexOf('/', start);
    const QByteArrayView element = list.sliced(start, end - start);
    int value = 0;
    bool number = !element.isEmpty() && element.size() <= 3;
    for (char c : element) {
      if (c < '0' || c > '9') number = false;
      value = value * 10 + (c - '0');
    }
    if (!number || value > 255) {
      return QString("byte %1 of the upload is %2, not a whole number from 0 to 255")
          .arg(index + 1)
          .arg(quoted(element));
    }
    start = end + 1;
    ++index;
  }
  return {};
}

QString windows1252Problem(const QString& text) {
  // Most data is ASCII (base 64, digits): no conversion needed to know it fits.
  if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; })) return {};
  try {
    toWindows1252(text);
  } catch (const std::invalid_argument& error) {
    return QString::fromStdString(error.what());
  }
  return {};
}

QJsonObject auditTarget(const ApiOperation& operation, const QJsonValue& data) {
  const std::string name = operation.name.toStdString();
  auto cut = [](const QString& text) { return text.size() > 200 ? text.left(200) + "..." : text; };
  auto plain = [&](QByteArrayView bytes) {
    return cut(fromWindows1252(std::string(bytes.data(), static_cast<size_t>(bytes.size()))));
  };
  if (name == "PlayMapRem") return {{"position", data}};
  if (name == "SetAutoLoad" || name == "SetDisplayTimer") return {{"value", data}};
  if (!data.isString()) return {};
  const QString text = data.toString();
  if (name == "AddFileRem") {
    const qsizetype bar = text.indexOf('|');
    return {{"file", cut(text.left(bar))}, {"bytes", text.count('/')}};
  }
  if (name == "DeleteTaskRem") return {{"task", cut(text)}};
  if (name == "SetMapsRem") {
    try {
      const auto rotation = formats::exchange::parseSetMapsData(text.toStdString());
      return {{"rotationLength", static_cast<qint64>(rotation.rotation.size())}};
    } catch (const formats::exchange::ExchangeError&) {
      return {};
    }
  }
  const QByteArray decoded = QByteArray::fromBase64(text.toLatin1());
  if (name == "DeleteFileRem") return {{"file", plain(decoded)}};
  const QList<QByteArray> fields = decoded.split('|');
  QJsonObject target;
  if (name == "AddTaskRem") {
    const char* keys[] = {"task", "taskFile", "frequency"};
    for (qsizetype i = 0; i < fields.size() && i < 3; ++i) target.insert(keys[i], plain(fields[i]));
  }
  if (name == "EditTaskRem") {
    const char* keys[] = {"task", "newTask", "taskFile", "frequency"};
    for (qsizetype i = 0; i < fields.size() && i < 4; ++i) target.insert(keys[i], plain(fields[i]));
  }
  return target;
}

}  // namespace rotaryn::host::api
