#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace rotaryn::host {

// An operation as the plug-in describes it: its name and the request's arguments it reads.
struct PluginOperation {
  std::string name;
  std::vector<std::string> arguments;
  bool takes(std::string_view argument) const;
};

// How a remote administrator reaches an operation through the API.
struct RemoteOperation {
  QString name;
  QString privilege;       // empty: any of the plug-in's privileges
  bool readsData = false;  // the call needs "data"
  bool readOnly = false;   // GET is accepted as well as POST
};

// The plug-in's operations and privileges, from twkRotaryn_Describe: the script mode's and the
// API's tables are this, not copies of their own.
struct PluginDescription {
  std::vector<std::string> privileges;
  std::vector<PluginOperation> operations;
  std::vector<RemoteOperation> remote;

  const PluginOperation* find(std::string_view name) const;
  const RemoteOperation* findRemote(std::string_view name) const;
  // The privilege names joined with ", ", for messages.
  std::string privilegeList() const;

  // Reads twkRotaryn_Describe's answer; throws PluginLoadError when it is not a description or
  // a remote operation needs a privilege the description does not list.
  static PluginDescription parse(const QByteArray& answer);
  // Throws PluginLoadError unless GetPrivis' answer (the plug-in's name, then "Name|1" each)
  // offers every privilege a remote operation needs.
  void checkOffered(const QJsonValue& getPrivis) const;
};

}  // namespace rotaryn::host
