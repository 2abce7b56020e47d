#include "host/script/runner.h"

#include <stdlib.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <system_error>
#include <vector>

#include "formats/map_file_layout.h"
#include "host/config/host_root.h"
#include "host/script/json.h"
#include "host/script/session.h"
#include "sim/model/rotation_file.h"

namespace rotaryn::host {
namespace {

namespace fs = std::filesystem;

// The keys each kind of line may carry besides "op"; a key not listed is a mistake.
const std::map<QString, std::vector<QString>>& allowedKeys() {
  static const std::vector<QString> kSelector{
      "control", "window", "currentList", "server", "fields",      "file",   "as",   "folder",
      "profile", "timer",  "index",       "boxes",  "fileDialogs", "result", "time", "at"};
  static const std::vector<QString> kServerOptions{
      "pid",           "build",   "pack",  "state",    "rotation",  "position", "gameLength",
      "displayLength", "loading", "speed", "maxKills", "kothLimit", "consume",  "commandDelayReads",
      "scoringRate"};
  static const std::map<QString, std::vector<QString>> keys = [] {
    std::map<QString, std::vector<QString>> k;
    k["file"] = {"path",   "text",   "lines",    "base64", "bms",
                 "folder", "delete", "readOnly", "hidden"};
    k["server"] = kServerOptions;
    k["change"] = {"pid",         "state",         "rotation", "position", "pack",
                   "gameLength",  "displayLength", "loading",  "speed",    "long",
                   "text",        "byte",          "command",  "endGame",  "commandDelayReads",
                   "clearWrites", "scoringRate"};
    k["kill"] = {"pid"};
    k["profile"] = {};  // any host.ini profile key; checked by the profile settings
    k["call"] = {"name", "index", "hwnd",  "pdat", "admin", "data",
                 "maps", "fName", "pName", "tk",   "dm",    "fb"};
    for (const char* event : {"select", "mouseDown", "mouseUp", "press", "click", "dblClick", "key",
                              "mouseMove", "dragOver", "drop", "type", "set"}) {
      k[event] = {"control", "row", "rowSel", "button", "shift", "key", "text", "value"};
    }
    k["answer"] = {"box", "open", "save"};
    k["advance"] = {"ms", "seconds"};
    k["clock"] = {"set"};
    k["plugin"] = {"folder"};
    k["dump"] = kSelector;
    std::vector<QString> expect = kSelector;
    for (const char* key : {"equals", "contains", "count", "exists", "notEquals", "notContains"}) {
      expect.push_back(key);
    }
    k["expect"] = expect;
    return k;
  }();
  return keys;
}

void checkKeys(const ScriptLine& line) {
  if (!line.has("op") || !line.value("op").isString()) {
    throw ScriptError(
        "every line needs \"op\" (file, server, change, kill, profile, call, "
        "an event, answer, advance, clock, dump or expect)");
  }
  auto allowed = allowedKeys().find(line.op());
  if (allowed == allowedKeys().end()) {
    throw ScriptError("unknown op \"" + line.op().toStdString() + "\"");
  }
  if (line.op() == "profile") return;
  for (const QString& key : line.object().keys()) {
    if (key == "op") continue;
    if (std::find(allowed->second.begin(), allowed->second.end(), key) == allowed->second.end()) {
      throw ScriptError("\"" + line.op().toStdString() + "\" has no key \"" + key.toStdString() +
                        "\"");
    }
  }
}

std::string keyText(const char* key) {
  return std::string("\"") + key + "\"";
}

// The bytes of a map file, as the game ships it.
std::string mapFileBytes(const ScriptLine& map) {
  const std::string name = toWindows1252(map.text("name"));
  const std::string signature =
      toWindows1252(map.optText("signature").value_or(QString::fromUtf8(formats::kMapSignature)));
  const int64_t size =
      map.optInteger("size", formats::kMapTypeOffsetB + 1, 1 << 20).value_or(formats::kMapFileSize);
  try {
    return formats::mapFileBytes(name, static_cast<uint8_t>(map.integer("typeA", 0, 255)),
                                 static_cast<uint8_t>(map.integer("typeB", 0, 255)), signature,
                                 size);
  } catch (const std::invalid_argument& error) {
    throw ScriptError(error.what());
  }
}

std::vector<sim::RotationEntry> rotationOf(const QJsonValue& value) {
  if (!value.isArray()) throw ScriptError("\"rotation\" is an array of maps");
  std::vector<sim::RotationEntry> entries;
  std::string lines;
  for (const QJsonValue& item : value.toArray()) {
    if (item.isString()) {
      for (sim::RotationEntry& entry : sim::parseRotation(toWindows1252(item.toString()))) {
        entries.push_back(std::move(entry));
      }
      continue;
    }
    if (!item.isObject()) throw ScriptError("a rotation map is a text line or an object");
    ScriptLine map(item.toObject());
    sim::RotationEntry entry;
    entry.gameType = static_cast<int32_t>(map.integer("type", 0, 8));
    entry.custom = map.flag("custom", false);
    entry.missionFile = toWindows1252(map.text("file"));
    entry.displayName = toWindows1252(map.optText("name").value_or(
        QString::fromStdString(entry.missionFile.substr(0, entry.missionFile.rfind('.')))));
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::string settingText(const QJsonValue& value) {
  if (value.isBool()) return value.toBool() ? "yes" : "no";
  if (value.isDouble()) {
    // Beyond this the conversion to a whole number is undefined.
    if (!(std::fabs(value.toDouble()) < 9.2e18))
      throw ScriptError("a profile setting's number is too large");
    return std::to_string(static_cast<int64_t>(value.toDouble()));
  }
  if (value.isString()) return toWindows1252(value.toString());
  throw ScriptError("a profile setting is text, a number or true/false");
}

class FreshRoot {
 public:
  FreshRoot(std::string path, bool keep) : path_(std::move(path)), keep_(keep) {}
  FreshRoot(const FreshRoot&) = delete;
  FreshRoot& operator=(const FreshRoot&) = delete;
  ~FreshRoot() {
    if (keep_ || path_.empty()) return;
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  bool keep_;
};

std::string makeRoot(const ScriptOptions& options) {
  if (options.rootPosix.empty()) {
    std::string pattern = (fs::temp_directory_path() / "rotaryn-script-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("cannot create a folder under " +
                               fs::temp_directory_path().string());
    }
    return pattern;
  }
  std::error_code error;
  fs::path root = fs::absolute(options.rootPosix, error);
  if (fs::exists(root) && !fs::is_empty(root)) {
    throw std::runtime_error("the root " + root.string() +
                             " is not empty; a script starts on a fresh root");
  }
  fs::create_directories(root, error);
  if (error) throw std::runtime_error("cannot create " + root.string() + ": " + error.message());
  return root.lexically_normal().string();
}

}  // namespace

uint32_t fieldAddress(const sim::ServerModel& server, const QString& field) {
  bool ok = false;
  if (field.startsWith("0x", Qt::CaseInsensitive)) {
    qulonglong address = field.mid(2).toULongLong(&ok, 16);
    if (!ok || address > UINT32_MAX)
      throw ScriptError("\"" + field.toStdString() + "\" is no 32-bit address");
    return static_cast<uint32_t>(address);
  }
  QString key = field.section('+', 0, 0).trimmed();
  uint64_t offset = 0;
  if (field.contains('+')) {
    offset = field.section('+', 1).trimmed().toULongLong(&ok, 0);
    if (!ok) throw ScriptError("\"" + field.toStdString() + "\": an offset is a number");
  }
  uint32_t base = 0;
  try {
    base = server.layout().at(key.toStdString());
  } catch (const std::exception&) {
    throw ScriptError("the server's build has no field \"" + key.toStdString() + "\"");
  }
  if (base + offset > UINT32_MAX)
    throw ScriptError("\"" + field.toStdString() + "\" is beyond 32 bits");
  return static_cast<uint32_t>(base + offset);
}

QString ScriptLine::text(const char* key) const {
  if (!object_.value(key).isString()) throw ScriptError(keyText(key) + " needs a text");
  return object_.value(key).toString();
}

std::optional<QString> ScriptLine::optText(const char* key) const {
  if (!object_.contains(key)) return std::nullopt;
  return text(key);
}

int64_t ScriptLine::integer(const char* key, int64_t min, int64_t max) const {
  QJsonValue v = object_.value(key);
  double number = v.toDouble(std::nan(""));
  if (!v.isDouble() || std::floor(number) != number || number < static_cast<double>(min) ||
      number > static_cast<double>(max)) {
    throw ScriptError(keyText(key) + " needs a whole number from " + std::to_string(min) + " to " +
                      std::to_string(max));
  }
  return static_cast<int64_t>(number);
}

std::optional<int64_t> ScriptLine::optInteger(const char* key, int64_t min, int64_t max) const {
  if (!object_.contains(key)) return std::nullopt;
  return integer(key, min, max);
}

double ScriptLine::number(const char* key) const {
  if (!object_.value(key).isDouble()) throw ScriptError(keyText(key) + " needs a number");
  return object_.value(key).toDouble();
}

bool ScriptLine::flag(const char* key, bool otherwise) const {
  if (!object_.contains(key)) return otherwise;
  if (!object_.value(key).isBool()) throw ScriptError(keyText(key) + " is true or false");
  return object_.value(key).toBool();
}

QJsonObject ScriptLine::objectAt(const char* key) const {
  if (!object_.value(key).isObject()) throw ScriptError(keyText(key) + " needs an object");
  return object_.value(key).toObject();
}

ScriptSession::ScriptSession(std::string rootPosix, std::string pluginLibrary,
                             std::ostream& transcript)
    : root_(std::move(rootPosix)),
      transcript_(transcript),
      pluginLibrary_(std::move(pluginLibrary)),
      dialogs_([this](const QJsonObject& object) { record(object); }),
      host_(HostApp::Environment{root_, time_, time_, time_, dialogs_, &servers_,
                                 [this](const std::string& text) { note(text); }},
            HostConfig{}) {
  // The plug-in's own waits (Sleep, DoEvents) move virtual time, and servers follow it.
  servers_.set().followClock([this] { return time_.monotonicMs(); });
  layOutRoot(root_, {});
}

ScriptSession::~ScriptSession() = default;

void ScriptSession::record(const QJsonObject& object) {
  QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Compact);
  transcript_ << "{\"line\":" << line_;
  if (json.size() > 2)
    transcript_ << "," << json.mid(1).toStdString();
  else
    transcript_ << "}";
  transcript_ << "\n";
  transcript_.flush();
}

void ScriptSession::note(const std::string& text) {
  record(QJsonObject{{"host", fromWindows1252(text)}});
}

void ScriptSession::execute(int lineNumber, const ScriptLine& line) {
  setLine(lineNumber);
  checkKeys(line);
  const QString op = line.op();
  if (op == "file") {
    file(line);
  } else if (op == "server") {
    server(line);
  } else if (op == "change") {
    change(line);
  } else if (op == "kill") {
    kill(line);
  } else if (op == "profile") {
    profile(line);
  } else if (op == "call") {
    call(line);
  } else if (op == "answer") {
    answer(line);
  } else if (op == "advance") {
    advance(line);
  } else if (op == "clock") {
    clock(line);
  } else if (op == "plugin") {
    pluginFolder(line);
  } else if (op == "dump") {
    dump(line);
  } else if (op == "expect") {
    expect(line);
  } else {
    windowEvent(line);
  }
  QString fault = dialogs_.takeFault();
  if (!fault.isEmpty()) throw ScriptError(fault.toStdString());
}

std::string ScriptSession::rootPath(const QString& relative) const {
  QString path = relative;
  path.replace('\\', '/');
  if (path.isEmpty() || path == ".") return root_;
  if (path.startsWith('/') || (path.size() > 1 && path[1] == ':')) {
    throw ScriptError("a path is relative to the host root, not \"" + relative.toStdString() +
                      "\"");
  }
  fs::path normal = fs::path(path.toStdString()).lexically_normal();
  if (!normal.empty() && *normal.begin() == "..") {
    throw ScriptError("a path stays inside the host root, not \"" + relative.toStdString() + "\"");
  }
  return (fs::path(root_) / normal).string();
}

std::string ScriptSession::windowsPath(const QString& relative) const {
  return windowsFromPosix(QString::fromStdString(rootPath(relative))).toStdString();
}

std::string ScriptSession::foundPath(const QString& relative) const {
  fs::path found(root_);
  fs::path wanted = fs::path(rootPath(relative)).lexically_relative(root_);
  for (const fs::path& part : wanted) {
    if (part == ".") continue;
    fs::path next = found / part;
    std::error_code error;
    if (!fs::exists(next, error) && fs::is_directory(found, error)) {
      QString name = QString::fromStdString(part.string());
      for (const auto& entry : fs::directory_iterator(found, error)) {
        if (QString::fromStdString(entry.path().filename().string())
                .compare(name, Qt::CaseInsensitive) == 0) {
          next = entry.path();
          break;
        }
      }
    }
    found = next;
  }
  return found.string();
}

void ScriptSession::file(const ScriptLine& line) {
  const fs::path path = rootPath(line.text("path"));
  // The root itself is no file of it: a hidden one would be made beside the root.
  if (path.lexically_relative(root_).lexically_normal() == ".") {
    throw ScriptError("a file line names a file or folder under the root, not the root");
  }
  std::error_code error;
  if (line.flag("delete", false)) {
    fs::remove_all(path, error);
    if (error) throw ScriptError("cannot delete " + path.string() + ": " + error.message());
    return;
  }
  if (line.flag("folder", false)) {
    fs::create_directories(path, error);
    if (error) throw ScriptError("cannot create " + path.string() + ": " + error.message());
    return;
  }
  std::string bytes;
  if (line.has("text")) {
    bytes = toWindows1252(line.text("text"));
  } else if (line.has("lines")) {
    if (!line.value("lines").isArray()) throw ScriptError("\"lines\" is an array of texts");
    for (const QJsonValue& text : line.value("lines").toArray()) {
      if (!text.isString()) throw ScriptError("\"lines\" is an array of texts");
      bytes += toWindows1252(text.toString()) + "\r\n";
    }
  } else if (line.has("base64")) {
    auto decoded = QByteArray::fromBase64Encoding(line.text("base64").toLatin1(),
                                                  QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) throw ScriptError("\"base64\" is not base 64");
    bytes = decoded.decoded.toStdString();
  } else if (line.has("bms")) {
    bytes = mapFileBytes(ScriptLine(line.objectAt("bms")));
  } else {
    throw ScriptError("a file line needs text, lines, base64, bms, folder or delete");
  }
  fs::path target = path;
  // Hidden as the plug-in's file system sees it: a name starting with '.'.
  if (line.flag("hidden", false)) target = path.parent_path() / ("." + path.filename().string());
  fs::create_directories(target.parent_path(), error);
  {
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.flush()) throw ScriptError("cannot write " + target.string());
  }
  if (line.flag("readOnly", false)) {
    fs::permissions(target,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove, error);
    if (error) throw ScriptError("cannot make " + target.string() + " read-only");
  }
}

void ScriptSession::server(const ScriptLine& line) {
  const auto pid = static_cast<int32_t>(line.integer("pid", 1, INT32_MAX));
  sim::ServerOptions options;
  if (auto build = line.optText("build")) {
    auto parsed = sim::parseBuild(build->toStdString());
    if (!parsed) throw ScriptError("\"build\" is standard or affiliate");
    options.build = *parsed;
  }
  if (line.has("pack")) options.resourcePack = toWindows1252(line.text("pack"));
  if (line.has("rotation")) options.rotation = rotationOf(line.value("rotation"));
  if (line.has("position"))
    options.startPosition = static_cast<int32_t>(line.integer("position", 0, 511));
  if (line.has("state"))
    options.initialState = static_cast<int32_t>(line.integer("state", INT32_MIN, INT32_MAX));
  if (line.has("gameLength")) options.gameLengthSeconds = line.number("gameLength");
  if (line.has("displayLength")) options.displayLengthSeconds = line.number("displayLength");
  if (line.has("loading")) options.loadingSeconds = line.number("loading");
  if (line.has("speed")) options.speed = line.number("speed");
  if (line.has("maxKills"))
    options.maxKills = static_cast<int32_t>(line.integer("maxKills", 0, INT32_MAX));
  if (line.has("kothLimit"))
    options.kothLimit = static_cast<int32_t>(line.integer("kothLimit", 0, INT32_MAX));
  options.consumeCommands = line.flag("consume", true);
  if (line.has("commandDelayReads")) {
    options.commandDelayReads = static_cast<int32_t>(line.integer("commandDelayReads", 0, 1 << 20));
  }
  if (line.has("scoringRate")) options.scoringRate = line.number("scoringRate");
  if (pids_.count(pid) != 0) {
    throw ScriptError("pid " + std::to_string(pid) + " is used already; each server has its own");
  }
  syncServers();
  servers_.set().add(pid, std::move(options));
  pids_.insert(pid);
}

sim::ServerModel& ScriptSession::simulated(int32_t pid) {
  if (!servers_.set().has(pid)) {
    throw ScriptError("there is no running simulated server with pid " + std::to_string(pid));
  }
  return servers_.set().at(pid);
}

void ScriptSession::syncServers() {
  servers_.set().catchUp();
}

void ScriptSession::change(const ScriptLine& line) {
  syncServers();
  sim::ServerModel& s = simulated(static_cast<int32_t>(line.integer("pid", 1, INT32_MAX)));
  if (line.has("rotation")) s.setRotation(rotationOf(line.value("rotation")));
  if (line.has("position"))
    s.setCurrentPosition(static_cast<int32_t>(line.integer("position", 0, 511)));
  if (line.has("pack")) s.setResourcePack(toWindows1252(line.text("pack")));
  if (line.has("gameLength")) s.setGameLengthSeconds(line.number("gameLength"));
  if (line.has("displayLength")) s.setDisplayLengthSeconds(line.number("displayLength"));
  if (line.has("loading")) s.setLoadingSeconds(line.number("loading"));
  if (line.has("speed")) s.setSpeed(line.number("speed"));
  for (auto [kind, key] : {std::pair{0, "long"}, std::pair{1, "text"}, std::pair{2, "byte"}}) {
    if (!line.has(key)) continue;
    QJsonObject fields = line.objectAt(key);
    for (auto it = fields.begin(); it != fields.end(); ++it) {
      const uint32_t address = fieldAddress(s, it.key());
      if (kind == 1) {
        if (!it.value().isString()) throw ScriptError("text fields take texts");
        s.writeText(address, toWindows1252(it.value().toString()));
        continue;
      }
      double value = it.value().toDouble(std::nan(""));
      if (!it.value().isDouble() || std::floor(value) != value) {
        throw ScriptError(std::string(key) + " fields take whole numbers");
      }
      if (kind == 0) {
        if (value < INT32_MIN || value > UINT32_MAX) throw ScriptError("a long is 32 bits");
        s.writeLong(address, static_cast<int32_t>(static_cast<int64_t>(value)));
      } else {
        if (value < 0 || value > 255) throw ScriptError("a byte is 0 to 255");
        s.writeByte(address, static_cast<uint8_t>(value));
      }
    }
  }
  if (line.has("commandDelayReads")) {
    s.setCommandDelayReads(static_cast<int32_t>(line.integer("commandDelayReads", 0, 1 << 20)));
  }
  if (line.flag("clearWrites", false)) s.clearClientWrites();
  if (line.has("scoringRate")) s.setScoringRate(line.number("scoringRate"));
  if (line.has("state"))
    s.setLong("GameState", static_cast<int32_t>(line.integer("state", INT32_MIN, INT32_MAX)));
  if (line.has("command")) s.postCommand(toWindows1252(line.text("command")));
  if (line.flag("endGame", false)) s.endGame();
}

void ScriptSession::kill(const ScriptLine& line) {
  const auto pid = static_cast<int32_t>(line.integer("pid", 1, INT32_MAX));
  simulated(pid);
  syncServers();
  servers_.set().remove(pid);
  host_.serverEnded(pid, "ended");
}

void ScriptSession::profile(const ScriptLine& line) {
  ProfileConfig config;
  config.index = static_cast<int32_t>(line.integer("index", 1, 100000));
  const auto pid = static_cast<int32_t>(line.integer("server", 1, INT32_MAX));
  if (pids_.count(pid) == 0) {
    throw ScriptError("there is no server with pid " + std::to_string(pid) +
                      "; add a server line first");
  }
  QJsonObject object = line.object();
  for (auto it = object.begin(); it != object.end(); ++it) {
    if (it.key() == "op" || it.key() == "index" || it.key() == "server") continue;
    try {
      applyProfileSetting(config, it.key().toStdString(), settingText(it.value()), root_);
    } catch (const std::invalid_argument& error) {
      throw ScriptError(error.what());
    }
  }
  if (config.profileFolder.empty()) config.profileFolder = "profile" + std::to_string(config.index);
  if (config.gameFolderPosix.empty()) {
    config.gameFolderPosix =
        (fs::path(root_) / "games" / utf8FromWindows1252(config.profileFolder)).string() + "/";
  }
  if (config.serverType.empty()) {
    bool affiliate = servers_.set().has(pid) && servers_.set().at(pid).layout().isAffiliate();
    config.serverType = affiliate ? "DFBHD_AFF" : "DFBHD";
  }
  // The script may give a type that does not match its server on purpose.
  config.server.build = config.serverType.ends_with("_AFF") ? sim::ServerBuild::kAffiliate
                                                            : sim::ServerBuild::kStandard;
  layOutRoot(root_, {config});
  host_.addProfile(config);
  host_.serverStarted(config.index, pid);
}

void ScriptSession::answer(const ScriptLine& line) {
  if (line.has("box")) {
    auto answer = answerNamed(line.text("box"));
    if (!answer) throw ScriptError("\"box\" is Ok, Cancel, Yes or No");
    dialogs_.queueAnswer(*answer);
  }
  for (const char* kind : {"open", "save"}) {
    if (!line.has(kind)) continue;
    std::optional<QString> path;
    if (!line.value(kind).isNull()) {
      path = line.text(kind);
      // Without a drive letter or a leading separator the answer names a file under the root.
      const bool absolute = path->startsWith('\\') || path->startsWith('/') ||
                            (path->size() > 1 && path->at(1) == ':');
      if (!path->isEmpty() && !absolute) path = QString::fromStdString(windowsPath(*path));
    }
    dialogs_.queueFile(kind[0] == 's', path);
  }
}

void ScriptSession::advance(const ScriptLine& line) {
  int64_t ms = 0;
  if (line.has("ms")) ms += line.integer("ms", 0, int64_t{1} << 40);
  if (line.has("seconds")) ms += line.integer("seconds", 0, int64_t{1} << 30) * 1000;
  time_.advance(ms);
}

void ScriptSession::clock(const ScriptLine& line) {
  auto when = parseDateTime(line.text("set"));
  if (!when) throw ScriptError("\"set\" is a date and time \"yyyy-mm-dd hh:mm:ss\"");
  time_.setWallClock(*when);
}

void ScriptSession::pluginFolder(const ScriptLine& line) {
  if (host_.hasPlugin()) throw ScriptError("the plug-in is loaded already; say its folder first");
  pluginFolder_ = line.text("folder").toStdString();
  rootPath(QString::fromStdString(pluginFolder_));  // refuses a folder outside the root
}

PluginHandle& ScriptSession::plugin() {
  if (!host_.hasPlugin()) {
    // Installed as a host installs it, so the plug-in derives the root from its own folder.
    fs::path folder = rootPath(QString::fromStdString(pluginFolder_));
    fs::path library = folder / kPluginFileName;
    std::error_code error;
    fs::create_directories(folder, error);
    fs::copy_file(pluginLibrary_, library, fs::copy_options::overwrite_existing, error);
    if (error) {
      throw ScriptError("cannot install the plug-in " + pluginLibrary_ + " into " +
                        folder.string() + ": " + error.message());
    }
    try {
      host_.loadPlugin(library.string());
    } catch (const PluginLoadError& failure) {
      throw ScriptError(failure.what());
    }
  }
  return host_.plugin();
}

int runScript(std::istream& script, const ScriptOptions& options, std::ostream& transcript,
              std::ostream& errors) {
  std::unique_ptr<FreshRoot> root;
  try {
    root = std::make_unique<FreshRoot>(makeRoot(options),
                                       options.keepRoot || !options.rootPosix.empty());
  } catch (const std::exception& error) {
    errors << "rotaryn-host: " << error.what() << "\n";
    return kScriptCannotStart;
  }
  int result = kScriptPassed;
  int lineNumber = 0;
  {
    ScriptSession session(root->path(), options.pluginLibrary, transcript);
    std::string text;
    while (std::getline(script, text)) {
      ++lineNumber;
      std::string_view trimmed = text;
      while (!trimmed.empty() &&
             (trimmed.back() == '\r' || trimmed.back() == ' ' || trimmed.back() == '\t'))
        trimmed.remove_suffix(1);
      while (!trimmed.empty() && (trimmed.front() == ' ' || trimmed.front() == '\t'))
        trimmed.remove_prefix(1);
      if (trimmed.empty() || trimmed.front() == '#') continue;
      session.setLine(lineNumber);
      try {
        QJsonParseError parseError{};
        QJsonDocument document = QJsonDocument::fromJson(
            QByteArray(trimmed.data(), static_cast<qsizetype>(trimmed.size())), &parseError);
        if (parseError.error != QJsonParseError::NoError) {
          throw ScriptError("not JSON: " + parseError.errorString().toStdString() + " at column " +
                            std::to_string(parseError.offset + 1));
        }
        if (!document.isObject()) throw ScriptError("a line is one JSON object");
        session.execute(lineNumber, ScriptLine(document.object()));
      } catch (const std::exception& error) {
        session.record(QJsonObject{{"error", QString::fromStdString(error.what())}});
        errors << options.scriptName << ":" << lineNumber << ": " << error.what() << "\n";
        result = kScriptStopped;
        break;
      }
    }
    QJsonObject summary{{"expectations", session.expectations()},
                        {"failed", session.failedExpectations()},
                        {"stopped", result == kScriptStopped}};
    if (options.keepRoot || !options.rootPosix.empty())
      summary["root"] = QString::fromStdString(root->path());
    session.record(QJsonObject{{"summary", summary}});
    if (result == kScriptPassed && session.failedExpectations() > 0) {
      errors << options.scriptName << ": " << session.failedExpectations() << " of "
             << session.expectations() << " expectations failed\n";
      result = kScriptExpectationFailed;
    }
  }
  return result;
}

}  // namespace rotaryn::host
