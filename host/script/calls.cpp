// The plug-in operations a script calls, sent through the plug-in's C interface as a host sends
// them. An operation that fails to the host (an untrapped one, or one this version does not
// have) is recorded with its error number and description, and the run goes on.
#include <algorithm>
#include <iterator>

#include "formats/exchange_codec.h"
#include "host/host_text.h"
#include "host/script/json.h"
#include "host/script/session.h"

namespace rotaryn::host {
namespace {

// SetMapsRem's data from plain fields, built as an administrator's tool builds it:
// {"koth":10,"kills":500,"gameScore":20,"rotation":[{"name","file","type","custom"}, ...]}.
QJsonValue setMapsData(const QJsonValue& maps) {
  if (!maps.isObject()) throw ScriptError("\"maps\" is an object of limits and a rotation");
  const QJsonObject fields = maps.toObject();
  auto number = [&](const char* key) {
    const QJsonValue value = fields.value(key);
    if (!value.isDouble())
      throw ScriptError(std::string("\"maps\" needs the number \"") + key + "\"");
    return static_cast<int32_t>(value.toDouble());
  };
  formats::exchange::NewRotation rotation{number("koth"), number("kills"), number("gameScore"), {}};
  for (const QJsonValue& entry : fields.value("rotation").toArray()) {
    const QJsonObject map = entry.toObject();
    rotation.rotation.push_back({toWindows1252(map.value("name").toString()),
                                 toWindows1252(map.value("file").toString()),
                                 map.value("type").toInt(), map.value("custom").toBool()});
  }
  return QString::fromStdString(formats::exchange::buildSetMapsData(rotation));
}

}  // namespace

void ScriptSession::call(const ScriptLine& line) {
  const QString name = line.text("name");
  // The operations are the plug-in's own description; a name not there is the script's mistake.
  const PluginOperation* operation = plugin().description().find(name.toStdString());
  if (operation == nullptr) {
    throw ScriptError("clsPlugin has no operation \"" + name.toStdString() + "\"");
  }
  QJsonObject request{{"op", name}};
  std::optional<int32_t> index;
  if (line.has("index")) {
    index = static_cast<int32_t>(line.integer("index", INT32_MIN, INT32_MAX));
    request["Index"] = *index;
  }
  for (auto [key, argument] : {std::pair{"fName", "fName"}, std::pair{"pName", "pName"}}) {
    if (line.has(key)) request[argument] = line.text(key);
  }
  if (line.has("hwnd")) request["pHwnd"] = static_cast<double>(line.integer("hwnd", 0, INT32_MAX));
  if (line.has("data")) request["Data"] = line.value("data");
  if (line.has("maps")) {
    if (name != "SetMapsRem") throw ScriptError("only \"SetMapsRem\" takes \"maps\"");
    request["Data"] = setMapsData(line.value("maps"));
  }
  for (const char* score : {"tk", "dm", "fb"}) {
    if (line.has(score))
      request[score] = static_cast<double>(line.integer(score, INT32_MIN, INT32_MAX));
  }
  // Operations on a profile get its PDAT from the host unless the script gives one.
  if (line.has("pdat")) {
    request["PDAT"] = line.value("pdat");
  } else if (index && operation->takes("PDAT")) {
    std::string admin = line.has("admin") ? toWindows1252(line.text("admin")) : "";
    try {
      request["PDAT"] = host_.pdatOf(*index, admin);
    } catch (const std::exception& error) {
      throw ScriptError(std::string(error.what()) + "; add a profile line first, or give \"pdat\"");
    }
  }

  QJsonValue result(QJsonValue::Null);
  try {
    if (name == "LoadInterface") {
      if (!index) throw ScriptError("\"LoadInterface\" needs \"index\"");
      host_.loadProfile(*index, line.has("hwnd") ? line.integer("hwnd", 0, INT32_MAX) : 0,
                        request.value("PDAT"));
    } else if (name == "UnLoadInterface") {
      host_.unload();
    } else {
      result = plugin().call(request);
    }
  } catch (const PluginCallError& failure) {
    lastResult_ = QJsonValue(QJsonValue::Null);
    record(QJsonObject{{"call", name},
                       {"error", QJsonObject{{"number", failure.number()},
                                             {"description", failure.description()}}}});
    return;
  }
  lastResult_ = result;
  record(QJsonObject{{"call", name}, {"result", result}});
}

}  // namespace rotaryn::host
