#include "plugin/plugin_calls.h"

#include <functional>
#include <map>

#include "platform/vb_error.h"
#include "plugin/cls_plugin.h"

namespace rotaryn {
namespace {

[[noreturn]] void malformed(const std::string& why) {
  raiseVbError(vberr::kInvalidCall, why);
}

class Arguments {
 public:
  explicit Arguments(const Json& request) : request_(request) {}

  const Json* find(const char* name) const {
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

using Operation = std::function<Json(clsPlugin&, const Arguments&)>;

const std::map<std::string, Operation>& operations() {
  static const std::map<std::string, Operation> table{
      {"dllVersion",
       [](clsPlugin& p, const Arguments& a) {
         return Json(jsonText(p.dllVersion(a.text("pName"))));
       }},
      {"GetData", [](clsPlugin& p, const Arguments&) { return pluginRecordJson(p.GetData()); }},
      {"GetPrivis", [](clsPlugin& p, const Arguments&) { return variantJson(p.GetPrivis()); }},
      {"LoadInterface",
       [](clsPlugin& p, const Arguments& a) {
         p.LoadInterface(a.number("Index"), a.wide("pHwnd", 0), a.variant("PDAT"), a.text("fName"));
         return Json();
       }},
      {"UnLoadInterface",
       [](clsPlugin& p, const Arguments& a) {
         p.UnLoadInterface(a.text("fName"));
         return Json();
       }},
      {"DisableProfile",
       [](clsPlugin& p, const Arguments& a) {
         p.DisableProfile(a.number("Index"));
         return Json();
       }},
      {"HideInterface",
       [](clsPlugin& p, const Arguments& a) {
         p.HideInterface(a.text("fName"));
         return Json();
       }},
      {"SkipMapRem",
       [](clsPlugin& p, const Arguments& a) {
         return Json(p.SkipMapRem(a.number("Index"), a.variant("PDAT"), a.variant("Data")));
       }},
      {"ScoreMapRem",
       [](clsPlugin& p, const Arguments& a) {
         return Json(p.ScoreMapRem(a.number("Index"), a.variant("PDAT"), a.variant("Data")));
       }},
      {"PlayMapRem",
       [](clsPlugin& p, const Arguments& a) {
         return Json(p.PlayMapRem(a.number("Index"), a.variant("PDAT"), a.variant("Data")));
       }},
      {"GetMapsRem",
       [](clsPlugin& p, const Arguments& a) {
         return Json(
             jsonText(p.GetMapsRem(a.number("Index"), a.variant("PDAT"), a.variant("Data"))));
       }},
      {"SetMapsRem",
       [](clsPlugin& p, const Arguments& a) {
         return Json(p.SetMapsRem(a.number("Index"), a.variant("PDAT"), a.variant("Data")));
       }},
      {"AddFileRem",
       [](clsPlugin& p, const Arguments& a) {
         return Json(p.AddFileRem(a.number("Index"), a.variant("PDAT"), a.variant("Data")));
       }},
      {"DeleteFileRem",
       [](clsPlugin& p, const Arguments& a) {
         return Json(p.DeleteFileRem(a.number("Index"), a.variant("PDAT"), a.variant("Data")));
       }},
      {"AddTaskRem",
       [](clsPlugin& p, const Arguments& a) {
         return Json(p.AddTaskRem(a.number("Index"), a.variant("PDAT"), a.variant("Data")));
       }},
      {"EditTaskRem",
       [](clsPlugin& p, const Arguments& a) {
         return Json(p.EditTaskRem(a.number("Index"), a.variant("PDAT"), a.variant("Data")));
       }},
      {"DeleteTaskRem",
       [](clsPlugin& p, const Arguments& a) {
         return Json(p.DeleteTaskRem(a.number("Index"), a.variant("PDAT"), a.variant("Data")));
       }},
      {"SetScore",
       [](clsPlugin& p, const Arguments& a) {
         const int32_t tk = a.number("tk");
         if (tk < INT16_MIN || tk > INT16_MAX) malformed("\"tk\" is beyond an Integer");
         p.SetScore(a.number("Index"), static_cast<int16_t>(tk), a.number("dm"), a.number("fb"));
         return Json();
       }},
      {"SetAutoLoad",
       [](clsPlugin& p, const Arguments& a) {
         return Json(p.SetAutoLoad(a.number("Index"), a.variant("PDAT"), a.variant("Data")));
       }},
      {"SetDisplayTimer",
       [](clsPlugin& p, const Arguments& a) {
         return Json(p.SetDisplayTimer(a.number("Index"), a.variant("PDAT"), a.variant("Data")));
       }},
      {"SaveMapSettings",
       [](clsPlugin& p, const Arguments& a) {
         p.SaveMapSettings(a.number("Index"));
         return Json();
       }},
  };
  return table;
}

}  // namespace

Json callPluginOperation(clsPlugin& plugin, const Json& request) {
  if (!request.is_object()) malformed("a call is a JSON object");
  auto op = request.find("op");
  if (op == request.end() || !op->is_string()) malformed("a call names its operation in \"op\"");
  const std::string& name = op->get_ref<const std::string&>();
  auto found = operations().find(name);
  if (found == operations().end()) {
    raiseVbError(vberr::kNotSupported, "clsPlugin has no operation \"" + name + "\"");
  }
  return Json{{"result", found->second(plugin, Arguments(request))}};
}

Json errorAnswer(int number, const std::string& description) {
  return Json{{"error", {{"number", number}, {"description", jsonText(description)}}}};
}

}  // namespace rotaryn
