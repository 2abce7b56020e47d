// The plug-in operations a script can call. Operations the plug-in object does not have yet are
// found at compile time, so a script calling one gets a plain "not built yet" instead of a
// pretended result, and the call works as soon as the operation exists.
#include <QJsonArray>
#include <functional>
#include <map>
#include <type_traits>

#include "host/script_json.h"
#include "host/script_session.h"

namespace rotaryn::host {
namespace {

QJsonValue resultJson(const std::string& text) {
  return fromWindows1252(text);
}
QJsonValue resultJson(const Variant& value) {
  return variantToJson(value);
}
template <class Number>
requires std::is_arithmetic_v<Number> QJsonValue resultJson(Number number) {
  return static_cast<double>(number);
}

QJsonValue resultJson(const PLUGIN& data) {
  return QJsonObject{{"Name", fromWindows1252(data.Name)},
                     {"File", fromWindows1252(data.File)},
                     {"Version", fromWindows1252(data.Version)},
                     {"Author", fromWindows1252(data.Author)},
                     {"Description", fromWindows1252(data.Description)},
                     {"Game", variantToJson(data.Game)},
                     {"HasInterface", data.HasInterface},
                     {"ProfileMenu", data.ProfileMenu},
                     {"ServerMenu", data.ServerMenu},
                     {"MainMenu", data.MainMenu},
                     {"ProfileMenuItems", variantToJson(data.ProfileMenuItems)},
                     {"ServerMenuItems", variantToJson(data.ServerMenuItems)},
                     {"MainMenuItems", variantToJson(data.MainMenuItems)},
                     {"HasPrivis", data.HasPrivis},
                     {"HelpFile", fromWindows1252(data.HelpFile)},
                     {"MinRCVer", fromWindows1252(data.MinRCVer)},
                     {"MinGravikVer", fromWindows1252(data.MinGravikVer)},
                     {"MinFennorVer", fromWindows1252(data.MinFennorVer)},
                     {"MinTWKVer", fromWindows1252(data.MinTWKVer)}};
}

[[noreturn]] void notBuilt(const char* name) {
  throw ScriptError(std::string("clsPlugin has no ") + name + " yet: not built");
}

// Arguments of a call, in the form the operations take them.
struct CallArguments {
  int32_t index = 0;
  Variant pdat;
  Variant data;
  int16_t tk = 0;
  int32_t dm = 0;
  int32_t fb = 0;
};

using RemoteCall = std::function<QJsonValue(clsPlugin&, const CallArguments&)>;

// An operation (Index, PDAT, optional Data) with any result.
#define ROTARYN_REMOTE_CALL(name)                                              \
  {                                                                            \
#name, [](auto& plugin, const CallArguments& a) -> QJsonValue {              \
      if constexpr (requires { plugin.name(a.index, a.pdat, a.data); }) {         \
        return resultJson(plugin.name(a.index, a.pdat, a.data));                  \
      } else {                                                                    \
        notBuilt(#name);                                                          \
      }                                                                           \
    } \
  }

const std::map<QString, RemoteCall>& remoteCalls() {
  static const std::map<QString, RemoteCall> calls{
      ROTARYN_REMOTE_CALL(GetMapsRem),      ROTARYN_REMOTE_CALL(SkipMapRem),
      ROTARYN_REMOTE_CALL(AddTaskRem),      ROTARYN_REMOTE_CALL(EditTaskRem),
      ROTARYN_REMOTE_CALL(DeleteTaskRem),   ROTARYN_REMOTE_CALL(AddFileRem),
      ROTARYN_REMOTE_CALL(DeleteFileRem),   ROTARYN_REMOTE_CALL(ScoreMapRem),
      ROTARYN_REMOTE_CALL(PlayMapRem),      ROTARYN_REMOTE_CALL(SetMapsRem),
      ROTARYN_REMOTE_CALL(SetDisplayTimer), ROTARYN_REMOTE_CALL(SetAutoLoad),
  };
  return calls;
}

#undef ROTARYN_REMOTE_CALL

template <class Plugin>
QJsonValue setScore(Plugin& plugin, const CallArguments& a) {
  if constexpr (requires { plugin.SetScore(a.index, a.tk, a.dm, a.fb); }) {
    plugin.SetScore(a.index, a.tk, a.dm, a.fb);
    return QJsonValue(QJsonValue::Null);
  } else {
    notBuilt("SetScore");
  }
}

template <class Plugin>
QJsonValue saveMapSettings(Plugin& plugin, const CallArguments& a) {
  if constexpr (requires { plugin.SaveMapSettings(a.index); }) {
    plugin.SaveMapSettings(a.index);
    return QJsonValue(QJsonValue::Null);
  } else {
    notBuilt("SaveMapSettings");
  }
}

}  // namespace

void ScriptSession::call(const ScriptLine& line) {
  const QString name = line.text("name");
  const std::string fName = line.has("fName") ? toWindows1252(line.text("fName")) : "";
  CallArguments a;
  if (line.has("index"))
    a.index = static_cast<int32_t>(line.integer("index", INT32_MIN, INT32_MAX));
  auto pdat = [&]() -> Variant {
    if (line.has("pdat")) return jsonToVariant(line.value("pdat"));
    if (!line.has("index")) throw ScriptError("\"" + name.toStdString() + "\" needs \"index\"");
    std::string admin = line.has("admin") ? toWindows1252(line.text("admin")) : "";
    try {
      return host_.pdatOf(a.index, admin);
    } catch (const std::exception& error) {
      throw ScriptError(std::string(error.what()) + "; add a profile line first, or give \"pdat\"");
    }
  };
  if (line.has("data")) a.data = jsonToVariant(line.value("data"));

  QJsonValue result(QJsonValue::Null);
  if (name == "dllVersion") {
    result =
        resultJson(plugin().dllVersion(line.has("pName") ? toWindows1252(line.text("pName")) : ""));
  } else if (name == "GetData") {
    result = resultJson(plugin().GetData());
  } else if (name == "GetPrivis") {
    result = resultJson(plugin().GetPrivis());
  } else if (name == "LoadInterface") {
    const int64_t hwnd = line.has("hwnd") ? line.integer("hwnd", 0, INT32_MAX) : 0;
    Variant data = pdat();
    plugin();
    host_.loadProfile(a.index, hwnd, data);
  } else if (name == "UnLoadInterface") {
    plugin();
    host_.unload();
  } else if (name == "DisableProfile") {
    plugin().DisableProfile(a.index);
  } else if (name == "HideInterface") {
    plugin().HideInterface(fName);
  } else if (name == "SetScore") {
    a.tk = static_cast<int16_t>(line.integer("tk", INT16_MIN, INT16_MAX));
    a.dm = static_cast<int32_t>(line.integer("dm", INT32_MIN, INT32_MAX));
    a.fb = static_cast<int32_t>(line.integer("fb", INT32_MIN, INT32_MAX));
    result = setScore(plugin(), a);
  } else if (name == "SaveMapSettings") {
    result = saveMapSettings(plugin(), a);
  } else if (auto remote = remoteCalls().find(name); remote != remoteCalls().end()) {
    a.pdat = pdat();
    result = remote->second(plugin(), a);
  } else {
    throw ScriptError("clsPlugin has no operation \"" + name.toStdString() + "\"");
  }
  lastResult_ = result;
  record(QJsonObject{{"call", name}, {"result", result}});
}

}  // namespace rotaryn::host
