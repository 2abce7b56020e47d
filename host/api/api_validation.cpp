#include "host/api/api_validation.h"

#include <QList>
#include <algorithm>
#include <array>
#include <optional>

#include "exchange/exchange_codec.h"
#include "host/api/api_request.h"
#include "host/host_text.h"

namespace rotaryn::host::api {
namespace {

constexpr std::array<const char*, 4> kFrequencies = {"Once", "Every Day", "Every Week",
                                                     "Every Month"};

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

// Digits only, exactly `count` of them.
std::optional<int> digits(QByteArrayView text, qsizetype count) {
  if (text.size() != count) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

int daysIn(int month, int year) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[static_cast<size_t>(month - 1)];
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
  const QString expected = " is no task date and time dd/mm/yyyy hh:mm:ss";
  if (text.size() != 19 || text[2] != '/' || text[5] != '/' || text[10] != ' ' || text[13] != ':' ||
      text[16] != ':') {
    return quoted(text) + expected;
  }
  const auto day = digits(text.sliced(0, 2), 2);
  const auto month = digits(text.sliced(3, 2), 2);
  const auto year = digits(text.sliced(6, 4), 4);
  const auto hour = digits(text.sliced(11, 2), 2);
  const auto minute = digits(text.sliced(14, 2), 2);
  const auto second = digits(text.sliced(17, 2), 2);
  if (!day || !month || !year || !hour || !minute || !second) return quoted(text) + expected;
  if (*year < 1 || *month < 1 || *month > 12 || *day < 1 || *day > daysIn(*month, *year)) {
    return quoted(text) + " names no calendar date";
  }
  if (*hour > 23 || *minute > 59 || *second > 59) return quoted(text) + " names no time of day";
  return {};
}

QString taskFrequencyProblem(QByteArrayView text) {
  for (const char* frequency : kFrequencies) {
    if (text == QByteArrayView(frequency)) return {};
  }
  return "the frequency " + quoted(text) +
         " is not one of Once, Every Day, Every Week, Every Month";
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
      const auto rotation = exchange::parseSetMapsData(text.toStdString());
      return {{"rotationLength", static_cast<qint64>(rotation.rotation.size())}};
    } catch (const exchange::ExchangeError&) {
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
