#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>

#include "host/plugin_description.h"
#include "rotaryn/twk_rotaryn.h"

namespace rotaryn::host {

// The plug-in library could not be loaded or refused to start; the text says which and why.
class PluginLoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An operation failed to the host: the plug-in's run-time error number and description.
class PluginCallError : public std::runtime_error {
 public:
  PluginCallError(int number, QString description)
      : std::runtime_error("error " + std::to_string(number) + ": " + description.toStdString()),
        number_(number),
        description_(std::move(description)) {}
  int number() const { return number_; }
  const QString& description() const { return description_; }

 private:
  int number_;
  QString description_;
};

// The one plug-in of a host run, loaded with dlopen and reached only through its C entry
// points. Destroying the handle destroys the plug-in object, then unloads the library.
class PluginHandle {
 public:
  // Loads the library and creates the plug-in with the ports given, which must outlive the
  // handle. Throws PluginLoadError, also when GetPrivis does not offer a privilege that one of
  // the described operations needs.
  static PluginHandle load(const std::string& libraryPath, const twkRotarynHostPorts& ports);
  // The description of the library's operations, without creating a plug-in. Throws
  // PluginLoadError.
  static PluginDescription describe(const std::string& libraryPath);

  PluginHandle(PluginHandle&& other) noexcept;
  PluginHandle& operator=(PluginHandle&&) = delete;
  PluginHandle(const PluginHandle&) = delete;
  ~PluginHandle();

  // An operation ({"op":...}): its result; throws PluginCallError when it failed to the host.
  QJsonValue call(const QJsonObject& request);
  // A window automation request: its whole answer ({"result":..., "notes":[...]}); throws
  // PluginCallError when it could not be done.
  QJsonObject automate(const QJsonObject& request);
  const PluginDescription& description() const { return description_; }
  // Told how long each call took (its operation, seconds), failed ones too; empty: not timed.
  std::function<void(const QString& operation, double seconds)> callTimed;

 private:
  struct Entries {
    decltype(&twkRotaryn_CreatePlugin) create = nullptr;
    decltype(&twkRotaryn_DestroyPlugin) destroy = nullptr;
    decltype(&twkRotaryn_Call) call = nullptr;
    decltype(&twkRotaryn_Automate) automate = nullptr;
    decltype(&twkRotaryn_Describe) describe = nullptr;
    decltype(&twkRotaryn_Free) free = nullptr;
  };
  // dlopen and every entry point; throws PluginLoadError.
  static std::pair<void*, Entries> open(const std::string& libraryPath);
  static PluginDescription describe(void* library, const Entries& entries);
  PluginHandle(void* library, twkRotarynPlugin* plugin, Entries entries,
               PluginDescription description)
      : library_(library),
        plugin_(plugin),
        entries_(entries),
        description_(std::move(description)) {}
  QJsonObject exchange(char* (*entry)(twkRotarynPlugin*, const char*), const QJsonObject& request);

  void* library_ = nullptr;
  twkRotarynPlugin* plugin_ = nullptr;
  Entries entries_;
  PluginDescription description_;
};

}  // namespace rotaryn::host
