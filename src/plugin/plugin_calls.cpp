#include "plugin/plugin_calls.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "platform/vb_error.h"
#include "plugin/cls_plugin.h"
#include "plugin/registration.h"
#include "remote/profile_files.h"

namespace rotaryn {
namespace {

[[noreturn]] void malformed(const std::string& why) {
  raiseVbError(vberr::kInvalidCall, why);
}

class Arguments {
 public:
  Arguments(const Json& request, const std::vector<std::string_view>& declared)
      : request_(request), declared_(declared) {}

  const Json* find(const char* name) const {
    // The description a host reads lists what an operation takes: reading anything else is ours.
    if (std::find(declared_.begin(), declared_.end(), name) == declared_.end()) {
      throw std::logic_error(std::string("an operation reads the undeclared argument ") + name);
    }
    auto found = request_.find(name);
    return found == request_.end() ? nullptr : &*found;
  }
  int32_t number(const char* name) const {
    const Json* value = find(name);
    if (value == nullptr) malformed(std::string("the call needs \"") + name + "\"");
    if (!value->is_number_integer() && !value->is_number_unsigned()) {
      malformed(std::string("\"") + name + "\" is a whole number");
    }
    int64_t number = value->get<int64_t>();
    if (number < INT32_MIN || number > INT32_MAX) {
      malformed(std::string("\"") + name + "\" is beyond a Long");
    }
    return static_cast<int32_t>(number);
  }
  int64_t wide(const char* name, int64_t otherwise) const {
    const Json* value = find(name);
    if (value == nullptr) return otherwise;
    if (!value->is_number_integer() && !value->is_number_unsigned()) {
      malformed(std::string("\"") + name + "\" is a whole number");
    }
    return value->get<int64_t>();
  }
  std::string text(const char* name) const {
    const Json* value = find(name);
    if (value == nullptr || value->is_null()) return "";
    if (!value->is_string()) malformed(std::string("\"") + name + "\" is a text");
    return fromJsonText(value->get_ref<const std::string&>());
  }
  Variant variant(const char* name) const {
    const Json* value = find(name);
    return value == nullptr ? Variant() : jsonVariant(*value);
  }

 private:
  const Json& request_;
  const std::vector<std::string_view>& declared_;
};

Json pluginRecordJson(const PLUGIN& data) {
  return Json{{"Name", jsonText(data.Name)},
              {"File", jsonText(data.File)},
              {"Version", jsonText(data.Version)},
              {"Author", jsonText(data.Author)},
              {"Description", jsonText(data.Description)},
              {"Game", variantJson(data.Game)},
              {"HasInterface", data.HasInterface},
              {"ProfileMenu", data.ProfileMenu},
              {"ServerMenu", data.ServerMenu},
              {"MainMenu", data.MainMenu},
              {"ProfileMenuItems", variantJson(data.ProfileMenuItems)},
              {"ServerMenuItems", variantJson(data.ServerMenuItems)},
              {"MainMenuItems", variantJson(data.MainMenuItems)},
              {"HasPrivis", data.HasPrivis},
              {"HelpFile", jsonText(data.HelpFile)},
              {"MinRCVer", jsonText(data.MinRCVer)},
              {"MinGravikVer", jsonText(data.MinGravikVer)},
              {"MinFennorVer", jsonText(data.MinFennorVer)},
              {"MinTWKVer", jsonText(data.MinTWKVer)}};
}

using Run = std::function<Json(clsPlugin&, const Arguments&)>;

// How a remote administrator reaches an operation through a host: the privilege it needs (none:
// any of the plug-in's), whether the administrator gives its data, and whether it only reads.
struct RemoteUse {
  std::optional<Privilege> privilege;
  bool data = false;
  bool readOnly = false;
};

// One operation of clsPlugin: its name, the request's arguments it reads, how remote
// administrators reach it (remote operations only) and what it runs.
struct Operation {
  std::string_view name;
  std::vector<std::string_view> arguments;
  std::optional<RemoteUse> remote;
  Run run;
};

using P = Privilege;
const std::vector<std::string_view> kRemoteArguments{"Index", "PDAT", "Data"};

// A remote operation: clsPlugin's method of the same name with (Index, PDAT, Data).
template <auto Method>
Run remoteCall() {
  return [](clsPlugin& p, const Arguments& a) {
    return Json((p.*Method)(a.number("Index"), a.variant("PDAT"), a.variant("Data")));
  };
}

// An operation that runs clsPlugin's method with the one argument the row names, and answers
// nothing.
template <auto Method>
Run indexCall() {
  return [](clsPlugin& p, const Arguments& a) {
    (p.*Method)(a.number("Index"));
    return Json();
  };
}
template <auto Method>
Run fileNameCall() {
  return [](clsPlugin& p, const Arguments& a) {
    (p.*Method)(a.text("fName"));
    return Json();
  };
}

// The calls a host makes of its plug-in for itself.
std::vector<Operation> hostCalls() {
  return {
      {"dllVersion",
       {"pName"},
       std::nullopt,
       [](clsPlugin& p, const Arguments& a) {
         return Json(jsonText(p.dllVersion(a.text("pName"))));
       }},
      {"GetData",
       {},
       std::nullopt,
       [](clsPlugin& p, const Arguments&) { return pluginRecordJson(p.GetData()); }},
      {"GetPrivis",
       {},
       std::nullopt,
       [](clsPlugin& p, const Arguments&) { return variantJson(p.GetPrivis()); }},
      {"LoadInterface",
       {"Index", "pHwnd", "PDAT", "fName"},
       std::nullopt,
       [](clsPlugin& p, const Arguments& a) {
         p.LoadInterface(a.number("Index"), a.wide("pHwnd", 0), a.variant("PDAT"), a.text("fName"));
         return Json();
       }},
      {"UnLoadInterface", {"fName"}, std::nullopt, fileNameCall<&clsPlugin::UnLoadInterface>()},
      {"DisableProfile", {"Index"}, std::nullopt, indexCall<&clsPlugin::DisableProfile>()},
      {"HideInterface", {"fName"}, std::nullopt, fileNameCall<&clsPlugin::HideInterface>()},
  };
}

// The calls remote administrators reach through a host.
std::vector<Operation> remoteCalls() {
  return {
      {"GetMapsRem", kRemoteArguments, RemoteUse{std::nullopt, false, true},
       [](clsPlugin& p, const Arguments& a) {
         return Json(
             jsonText(p.GetMapsRem(a.number("Index"), a.variant("PDAT"), a.variant("Data"))));
       }},
      {"SetMapsRem", kRemoteArguments, RemoteUse{P::kChangeMapList, true},
       remoteCall<&clsPlugin::SetMapsRem>()},
      {"SetAutoLoad", kRemoteArguments, RemoteUse{P::kChangeMapList, true},
       remoteCall<&clsPlugin::SetAutoLoad>()},
      {"SetDisplayTimer", kRemoteArguments, RemoteUse{P::kChangeMapList, true},
       remoteCall<&clsPlugin::SetDisplayTimer>()},
      {"SkipMapRem", kRemoteArguments, RemoteUse{P::kSkipMaps, false},
       remoteCall<&clsPlugin::SkipMapRem>()},
      {"ScoreMapRem", kRemoteArguments, RemoteUse{P::kSkipMaps, false},
       remoteCall<&clsPlugin::ScoreMapRem>()},
      {"PlayMapRem", kRemoteArguments, RemoteUse{P::kSkipMaps, true},
       remoteCall<&clsPlugin::PlayMapRem>()},
      {"AddFileRem", kRemoteArguments, RemoteUse{P::kAddNewMaps, true},
       remoteCall<&clsPlugin::AddFileRem>()},
      {"DeleteFileRem", kRemoteArguments, RemoteUse{P::kDeleteMaps, true},
       remoteCall<&clsPlugin::DeleteFileRem>()},
      {"AddTaskRem", kRemoteArguments, RemoteUse{P::kAddNewTasks, true},
       remoteCall<&clsPlugin::AddTaskRem>()},
      {"EditTaskRem", kRemoteArguments, RemoteUse{P::kAddNewTasks, true},
       remoteCall<&clsPlugin::EditTaskRem>()},
      {"DeleteTaskRem", kRemoteArguments, RemoteUse{P::kDeleteTasks, true},
       remoteCall<&clsPlugin::DeleteTaskRem>()},
  };
}

// What a host sets of a profile, and what a remote administrator's tool reads of its files.
std::vector<Operation> profileCalls() {
  return {
      {"SetScore",
       {"Index", "tk", "dm", "fb"},
       std::nullopt,
       [](clsPlugin& p, const Arguments& a) {
         const int32_t tk = a.number("tk");
         if (tk < INT16_MIN || tk > INT16_MAX) malformed("\"tk\" is beyond an Integer");
         p.SetScore(a.number("Index"), static_cast<int16_t>(tk), a.number("dm"), a.number("fb"));
         return Json();
       }},
      // The host need not know where a profile's files lie.
      {"ListMapLists",
       {"PDAT"},
       std::nullopt,
       [](clsPlugin& p, const Arguments& a) {
         return mapListNames(p.module(), a.variant("PDAT"));
       }},
      {"ListTasks",
       {"PDAT"},
       std::nullopt,
       [](clsPlugin& p, const Arguments& a) { return taskList(p.module(), a.variant("PDAT")); }},
      {"ReadAdminLog",
       {"PDAT", "Day", "Last"},
       std::nullopt,
       [](clsPlugin& p, const Arguments& a) {
         return adminLogLines(p.module(), a.variant("PDAT"), a.text("Day"), a.wide("Last", -1));
       }},
      {"SaveMapSettings", {"Index"}, std::nullopt, indexCall<&clsPlugin::SaveMapSettings>()},
  };
}

const std::vector<Operation>& operations() {
  static const std::vector<Operation> table = [] {
    std::vector<Operation> all;
    for (auto part : {hostCalls, remoteCalls, profileCalls}) {
      std::vector<Operation> calls = part();
      all.insert(all.end(), calls.begin(), calls.end());
    }
    return all;
  }();
  return table;
}

const Operation* findOperation(std::string_view name) {
  for (const Operation& operation : operations()) {
    if (operation.name == name) return &operation;
  }
  return nullptr;
}

}  // namespace

Json callPluginOperation(clsPlugin& plugin, const Json& request) {
  if (!request.is_object()) malformed("a call is a JSON object");
  auto op = request.find("op");
  if (op == request.end() || !op->is_string()) malformed("a call names its operation in \"op\"");
  const std::string& name = op->get_ref<const std::string&>();
  const Operation* found = findOperation(name);
  if (found == nullptr) {
    raiseVbError(vberr::kNotSupported, "clsPlugin has no operation \"" + name + "\"");
  }
  return Json{{"result", found->run(plugin, Arguments(request, found->arguments))}};
}

Json describeOperations() {
  Json privileges = Json::array();
  for (int i = 0; i < kPrivilegeCount; ++i) {
    privileges.push_back(std::string(privilegeName(static_cast<Privilege>(i))));
  }
  Json list = Json::array();
  for (const Operation& operation : operations()) {
    Json entry{{"name", operation.name}, {"arguments", operation.arguments}};
    if (operation.remote) {
      const RemoteUse& remote = *operation.remote;
      entry["remote"] = {
          {"privilege", remote.privilege ? Json(privilegeName(*remote.privilege)) : Json()},
          {"data", remote.data},
          {"readOnly", remote.readOnly}};
    }
    list.push_back(std::move(entry));
  }
  return Json{{"privileges", std::move(privileges)}, {"operations", std::move(list)}};
}

Json errorAnswer(int number, const std::string& description) {
  return Json{{"error", {{"number", number}, {"description", jsonText(description)}}}};
}

}  // namespace rotaryn
