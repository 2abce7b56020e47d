// What a script can look at: dumps written to the transcript and expectations checked against
// the same values.
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "formats/exchange_codec.h"
#include "host/host_text.h"
#include "host/script/json.h"
#include "host/script/session.h"
#include "sim/model/server_model.h"

namespace rotaryn::host {
namespace {

namespace fs = std::filesystem;

// The keys that choose what to look at; exactly one per line.
constexpr const char* kSelectors[] = {"control", "window",      "currentList", "server",
                                      "file",    "folder",      "profile",     "timer",
                                      "boxes",   "fileDialogs", "result",      "time"};

QJsonObject rotationEntryJson(const sim::RotationEntry& entry) {
  return QJsonObject{{"type", entry.gameType},
                     {"custom", entry.custom},
                     {"file", fromWindows1252(entry.missionFile)},
                     {"name", fromWindows1252(entry.displayName)}};
}

// GetMapsRem's answer decoded: settings, catalogue, rotation and tasks; a text the codec
// cannot read gives its error instead.
QJsonValue mapsAnswerJson(const QJsonValue& result) {
  auto maps = [](const std::vector<formats::exchange::MapLine>& lines) {
    QJsonArray out;
    for (const formats::exchange::MapLine& line : lines) {
      out.append(QJsonObject{{"name", fromWindows1252(line.displayName)},
                             {"file", fromWindows1252(line.missionFile)},
                             {"type", line.gameType},
                             {"custom", line.custom}});
    }
    return out;
  };
  try {
    const formats::exchange::MapsAnswer answer =
        formats::exchange::parseMapsAnswer(toWindows1252(result.toString()));
    const formats::exchange::ServerSettings& s = answer.settings;
    QJsonArray tasks;
    for (const formats::exchange::Task& task : answer.tasks) {
      QStringList lines;
      for (const std::string& text : task.lines) lines.append(fromWindows1252(text));
      tasks.append(QJsonObject{{"section", fromWindows1252(task.section)},
                               {"lines", QJsonArray::fromStringList(lines)}});
    }
    return QJsonObject{{"settings", QJsonObject{{"autoload", fromWindows1252(s.autoload)},
                                                {"displayTime", fromWindows1252(s.displayTime)},
                                                {"mapPlaying", fromWindows1252(s.mapPlaying)},
                                                {"koth", s.kothLimit},
                                                {"kills", s.killLimit},
                                                {"gameScore", s.gameScoreLimit},
                                                {"mapLimit", s.mapLimit}}},
                       {"catalogue", maps(answer.catalogue)},
                       {"rotation", maps(answer.rotation)},
                       {"tasks", tasks}};
  } catch (const formats::exchange::ExchangeError& error) {
    return QJsonObject{{"error", QString::fromStdString(error.what())}};
  }
}

// A text holding a text, or an array holding an element.
bool containsValue(const QJsonValue& part, const QJsonValue& wanted) {
  if (part.isString()) return wanted.isString() && part.toString().contains(wanted.toString());
  if (part.isArray()) return part.toArray().contains(wanted);
  return false;
}

}  // namespace

QJsonValue ScriptSession::dumpServer(const ScriptLine& line) {
  const auto pid = static_cast<int32_t>(line.integer("server", 1, INT32_MAX));
  syncServers();
  if (!servers_.set().has(pid)) return QJsonObject{{"pid", pid}, {"running", false}};
  sim::ServerModel& s = servers_.set().at(pid);
  QJsonArray rotation;
  for (const sim::RotationEntry& entry : s.rotation()) rotation.append(rotationEntryJson(entry));
  QJsonObject out{{"pid", pid},
                  {"running", true},
                  {"build", QString::fromLatin1(sim::buildName(s.layout().build()).data())},
                  {"state", s.state()},
                  {"curMap", fromWindows1252(s.textAt("CurMap"))},
                  {"gameType", s.longAt("GameType")},
                  {"position", s.currentPosition()},
                  {"count", s.rotationCount()},
                  {"pack", fromWindows1252(s.resourcePack())},
                  {"restartTmr", s.longAt("RestartTmr")},
                  {"rotation", rotation},
                  {"violations", static_cast<double>(s.rotationViolations())}};
  // What clients wrote, in order: the plug-in's writes as the server saw them.
  QJsonArray writes;
  for (const sim::ClientWrite& write : s.clientWrites()) {
    writes.append(
        QJsonObject{{"address", "0x" + QString::number(write.address, 16).toUpper()},
                    {"size", static_cast<int>(write.size())},
                    {"value", write.size() <= 4 ? QJsonValue(static_cast<double>(write.number()))
                                                : QJsonValue(fromWindows1252(write.text()))}});
  }
  out["writes"] = writes;
  out["readsWhileCommandWaits"] = static_cast<double>(s.readsWhileCommandWaits());
  if (line.has("fields")) {
    QJsonObject wanted = line.objectAt("fields");
    QJsonObject fields;
    for (auto it = wanted.begin(); it != wanted.end(); ++it) {
      const uint32_t address = fieldAddress(s, it.key());
      QString kind = it.value().toString();
      if (kind == "long") {
        fields[it.key()] = s.readLong(address);
      } else if (kind == "text") {
        fields[it.key()] = fromWindows1252(s.readText(address));
      } else if (kind == "byte") {
        fields[it.key()] = s.readByte(address);
      } else {
        throw ScriptError("a field is read as long, text or byte");
      }
    }
    out["fields"] = fields;
  }
  return out;
}

QJsonValue ScriptSession::dumpFile(const ScriptLine& line) {
  // Found as the plug-in finds files: without regard to case.
  std::string path = foundPath(line.text("file"));
  if (!fs::is_regular_file(path)) return QJsonObject{{"exists", false}};
  std::ifstream in(path, std::ios::binary);
  std::string bytes(std::istreambuf_iterator<char>(in), {});
  QJsonObject out{{"exists", true}, {"size", static_cast<double>(bytes.size())}};
  QString as = line.optText("as").value_or("text");
  if (as == "text") {
    out["text"] = fromWindows1252(bytes);
  } else if (as == "lines") {
    QJsonArray lines;
    size_t start = 0;
    while (start < bytes.size()) {
      size_t end = bytes.find('\n', start);
      if (end == std::string::npos) end = bytes.size();
      std::string lineText = bytes.substr(start, end - start);
      if (!lineText.empty() && lineText.back() == '\r') lineText.pop_back();
      lines.append(fromWindows1252(lineText));
      start = end + 1;
    }
    out["lines"] = lines;
  } else if (as == "base64") {
    out["base64"] = QString::fromLatin1(
        QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())).toBase64());
  } else {
    throw ScriptError("\"as\" is text, lines or base64");
  }
  return out;
}

QJsonValue ScriptSession::dumpProfile(const ScriptLine& line) {
  const auto index = static_cast<int32_t>(line.integer("profile", 0, 100000));
  QJsonObject out = automate(QJsonObject{{"dump", "profile"}, {"index", index}}).toObject();
  if (auto found = host_.profiles().find(index); found != host_.profiles().end()) {
    out["loaded"] = found->second.loaded;
    out["serverPid"] = found->second.serverPid ? QJsonValue(*found->second.serverPid)
                                               : QJsonValue(QJsonValue::Null);
    out["serverRunning"] = found->second.serverRunning;
  }
  return out;
}

QJsonValue ScriptSession::select(const ScriptLine& line) {
  int chosen = 0;
  for (const char* key : kSelectors) chosen += line.has(key) ? 1 : 0;
  if (chosen != 1) {
    throw ScriptError(
        "say what to look at with one of control, window, currentList, server, "
        "file, folder, profile, timer, boxes, fileDialogs, result, time");
  }
  if (line.has("control")) {
    return automate(QJsonObject{{"dump", "control"}, {"control", line.text("control")}});
  }
  if (line.has("window")) return automate(QJsonObject{{"dump", "window"}});
  if (line.has("currentList")) return automate(QJsonObject{{"dump", "currentList"}});
  if (line.has("server")) return dumpServer(line);
  if (line.has("file")) return dumpFile(line);
  if (line.has("folder")) {
    std::string path = foundPath(line.text("folder"));
    if (!fs::is_directory(path)) return QJsonObject{{"exists", false}};
    QStringList names;
    for (const auto& entry : fs::directory_iterator(path)) {
      names.append(QString::fromStdString(entry.path().filename().string() +
                                          (entry.is_directory() ? "/" : "")));
    }
    names.sort();
    return QJsonObject{{"exists", true}, {"entries", QJsonArray::fromStringList(names)}};
  }
  if (line.has("profile")) return dumpProfile(line);
  if (line.has("timer")) {
    std::string name = line.text("timer").toStdString();
    int index = static_cast<int>(line.integer("index", INT32_MIN, INT32_MAX));
    for (const auto& timer : time_.timers().all()) {
      if (timer->name != name || timer->index != index) continue;
      return QJsonObject{
          {"exists", true}, {"running", timer->armed()}, {"interval", timer->intervalMs}};
    }
    return QJsonObject{{"exists", false}};
  }
  if (line.has("boxes")) {
    QJsonArray boxes;
    for (const auto& box : dialogs_.boxes()) boxes.append(ScriptDialogs::boxJson(box));
    return boxes;
  }
  if (line.has("fileDialogs")) {
    QJsonArray dialogs;
    for (const auto& dialog : dialogs_.fileDialogs()) {
      dialogs.append(ScriptDialogs::fileDialogJson(dialog));
    }
    return dialogs;
  }
  if (line.has("result")) {
    if (line.optText("as").value_or("") == "maps") return mapsAnswerJson(lastResult_);
    return lastResult_;
  }
  return QJsonObject{{"ms", static_cast<double>(time_.monotonicMs())},
                     {"clock", formatDateTime(time_.now())}};
}

void ScriptSession::dump(const ScriptLine& line) {
  QJsonValue value = select(line);
  QString at = line.optText("at").value_or("");
  std::optional<QJsonValue> part = valueAt(value, at);
  if (!part) throw ScriptError("nothing at \"" + at.toStdString() + "\" of the dump");
  QJsonObject of = line.object();
  of.remove("op");
  record(QJsonObject{{"dump", of}, {"value", *part}});
}

void ScriptSession::expect(const ScriptLine& line) {
  int checks = 0;
  for (const char* key : {"equals", "contains", "count", "exists", "notEquals", "notContains"}) {
    checks += line.has(key) ? 1 : 0;
  }
  if (checks != 1) {
    throw ScriptError(
        "an expect line checks one of equals, notEquals, contains, notContains, count, exists");
  }
  QJsonValue value = select(line);
  QString at = line.optText("at").value_or("");
  std::optional<QJsonValue> part = valueAt(value, at);

  bool passed = false;
  QJsonValue wanted;
  if (line.has("exists")) {
    wanted = line.flag("exists", true);
    passed = part.has_value() == wanted.toBool();
  } else if (line.has("notEquals")) {
    // Nothing there is not equal to anything.
    wanted = line.value("notEquals");
    passed = !part || *part != wanted;
  } else if (line.has("notContains")) {
    wanted = line.value("notContains");
    passed = !part || !containsValue(*part, wanted);
  } else if (!part) {
    wanted = line.has("equals")
                 ? line.value("equals")
                 : (line.has("contains") ? line.value("contains") : line.value("count"));
  } else if (line.has("equals")) {
    wanted = line.value("equals");
    passed = *part == wanted;
  } else if (line.has("contains")) {
    wanted = line.value("contains");
    passed = containsValue(*part, wanted);
  } else {
    wanted = line.value("count");
    qsizetype count = part->isArray() ? part->toArray().size()
                                      : (part->isObject() ? part->toObject().size() : -1);
    passed = wanted.isDouble() && count == static_cast<qsizetype>(wanted.toDouble());
  }
  ++expectations_;
  if (passed) {
    record(QJsonObject{{"expect", "ok"}});
    return;
  }
  ++failed_;
  QJsonObject failure{{"expect", "FAILED"}, {"at", at}, {"wanted", wanted}};
  failure["got"] = part ? *part : QJsonValue(QString("(nothing there)"));
  record(failure);
}

}  // namespace rotaryn::host
