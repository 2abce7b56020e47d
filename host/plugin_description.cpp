#include "host/plugin_description.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

#include "host/plugin_library.h"

namespace rotaryn::host {
namespace {

[[noreturn]] void malformed(const std::string& why) {
  throw PluginLoadError("the plug-in's description of its operations is unusable: " + why);
}

std::string textOf(const QJsonValue& value, const char* what) {
  if (!value.isString() || value.toString().isEmpty()) malformed(std::string(what) + " is a text");
  return value.toString().toStdString();
}

bool contains(const std::vector<std::string>& list, std::string_view name) {
  return std::find(list.begin(), list.end(), name) != list.end();
}

}  // namespace

bool PluginOperation::takes(std::string_view argument) const {
  return contains(arguments, argument);
}

const PluginOperation* PluginDescription::find(std::string_view name) const {
  auto found =
      std::find_if(operations.begin(), operations.end(),
                   [name](const PluginOperation& operation) { return operation.name == name; });
  return found == operations.end() ? nullptr : &*found;
}

const RemoteOperation* PluginDescription::findRemote(std::string_view name) const {
  auto found = std::find_if(remote.begin(), remote.end(), [name](const RemoteOperation& operation) {
    return operation.name.toStdString() == name;
  });
  return found == remote.end() ? nullptr : &*found;
}

std::string PluginDescription::privilegeList() const {
  std::string list;
  for (const std::string& name : privileges) list += (list.empty() ? "" : ", ") + name;
  return list;
}

PluginDescription PluginDescription::parse(const QByteArray& answer) {
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(answer, &error);
  if (!document.isObject()) malformed("not JSON: " + error.errorString().toStdString());
  const QJsonObject result = document.object().value("result").toObject();
  PluginDescription description;
  for (const QJsonValue& name : result.value("privileges").toArray()) {
    description.privileges.push_back(textOf(name, "a privilege"));
  }
  for (const QJsonValue& entry : result.value("operations").toArray()) {
    const QJsonObject fields = entry.toObject();
    PluginOperation operation{textOf(fields.value("name"), "an operation's name"), {}};
    for (const QJsonValue& argument : fields.value("arguments").toArray()) {
      operation.arguments.push_back(textOf(argument, "an argument"));
    }
    if (fields.contains("remote")) {
      const QJsonObject remote = fields.value("remote").toObject();
      const QJsonValue privilege = remote.value("privilege");
      const std::string needs = privilege.isNull() ? "" : textOf(privilege, "a privilege");
      if (!needs.empty() && !contains(description.privileges, needs)) {
        malformed(operation.name + " needs the privilege \"" + needs + "\", which is not listed");
      }
      RemoteOperation use{QString::fromStdString(operation.name), QString::fromStdString(needs),
                          remote.value("data").toBool(), remote.value("readOnly").toBool()};
      description.remote.push_back(std::move(use));
    }
    description.operations.push_back(std::move(operation));
  }
  if (description.operations.empty()) malformed("it lists no operation");
  return description;
}

void PluginDescription::checkOffered(const QJsonValue& getPrivis) const {
  std::vector<std::string> offered;
  const QJsonArray list = getPrivis.toArray();
  for (qsizetype i = 1; i < list.size(); ++i) {
    const std::string item = list[i].toString().toStdString();
    offered.push_back(item.substr(0, item.rfind('|')));
  }
  for (const RemoteOperation& operation : remote) {
    if (!operation.privilege.isEmpty() && !contains(offered, operation.privilege.toStdString())) {
      throw PluginLoadError("the plug-in's " + operation.name.toStdString() +
                            " needs the privilege \"" + operation.privilege.toStdString() +
                            "\", which its GetPrivis does not offer");
    }
  }
}

}  // namespace rotaryn::host
