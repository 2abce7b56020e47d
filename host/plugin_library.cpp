#include "host/plugin_library.h"

#include <dlfcn.h>

#include <QJsonDocument>
#include <filesystem>
#include <utility>

#include "host/elf_check.h"

namespace rotaryn::host {
namespace {

template <class Entry>
Entry symbol(void* library, const char* name) {
  return reinterpret_cast<Entry>(dlsym(library, name));
}

}  // namespace

PluginHandle PluginHandle::load(const std::string& libraryPath, const twkRotarynHostPorts& ports) {
  if (!std::filesystem::exists(libraryPath)) {
    throw PluginLoadError("no plug-in at " + libraryPath +
                          " (rotaryn-host --init-root puts the built one there)");
  }
  if (std::string problem = sharedLibraryFileProblem(libraryPath); !problem.empty()) {
    throw PluginLoadError("the plug-in " + libraryPath + " is not a complete shared library (" +
                          problem + "); install it again, e.g. with rotaryn-host --init-root ROOT");
  }
  void* library = dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    throw PluginLoadError("cannot load the plug-in " + libraryPath + ": " + dlerror());
  }
  Entries entries;
  entries.create = symbol<decltype(entries.create)>(library, "twkRotaryn_CreatePlugin");
  entries.destroy = symbol<decltype(entries.destroy)>(library, "twkRotaryn_DestroyPlugin");
  entries.call = symbol<decltype(entries.call)>(library, "twkRotaryn_Call");
  entries.automate = symbol<decltype(entries.automate)>(library, "twkRotaryn_Automate");
  entries.free = symbol<decltype(entries.free)>(library, "twkRotaryn_Free");
  if (!entries.create || !entries.destroy || !entries.call || !entries.automate || !entries.free) {
    dlclose(library);
    throw PluginLoadError(libraryPath +
                          " is not a Rotaryn plug-in of this interface: a twkRotaryn_ entry "
                          "point is missing");
  }
  twkRotarynPlugin* plugin = entries.create(TWK_ROTARYN_INTERFACE_VERSION, &ports);
  if (plugin == nullptr) {
    dlclose(library);
    throw PluginLoadError("the plug-in " + libraryPath + " refused interface version " +
                          std::to_string(TWK_ROTARYN_INTERFACE_VERSION) +
                          " (a plug-in built from other sources) or could not start");
  }
  return PluginHandle(library, plugin, entries);
}

PluginHandle::PluginHandle(PluginHandle&& other) noexcept
    : library_(std::exchange(other.library_, nullptr)),
      plugin_(std::exchange(other.plugin_, nullptr)),
      entries_(other.entries_) {}

PluginHandle::~PluginHandle() {
  if (plugin_ != nullptr) entries_.destroy(plugin_);
  if (library_ != nullptr) dlclose(library_);
}

QJsonObject PluginHandle::exchange(char* (*entry)(twkRotarynPlugin*, const char*),
                                   const QJsonObject& request) {
  QByteArray text = QJsonDocument(request).toJson(QJsonDocument::Compact);
  char* answer = entry(plugin_, text.constData());
  if (answer == nullptr) throw PluginCallError(7, "Out of memory");
  QJsonParseError error{};
  QJsonDocument parsed = QJsonDocument::fromJson(QByteArray(answer), &error);
  entries_.free(answer);
  if (!parsed.isObject()) {
    throw PluginCallError(51, "the plug-in's answer is not JSON: " + error.errorString());
  }
  QJsonObject object = parsed.object();
  if (object.contains("error")) {
    QJsonObject failure = object.value("error").toObject();
    throw PluginCallError(failure.value("number").toInt(), failure.value("description").toString());
  }
  return object;
}

QJsonValue PluginHandle::call(const QJsonObject& request) {
  return exchange(entries_.call, request).value("result");
}

QJsonObject PluginHandle::automate(const QJsonObject& request) {
  return exchange(entries_.automate, request);
}

}  // namespace rotaryn::host
