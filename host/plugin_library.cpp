#include "host/plugin_library.h"

#include <dlfcn.h>

#include <QJsonDocument>
#include <chrono>
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

std::pair<void*, PluginHandle::Entries> PluginHandle::open(const std::string& libraryPath) {
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
  entries.describe = symbol<decltype(entries.describe)>(library, "twkRotaryn_Describe");
  entries.free = symbol<decltype(entries.free)>(library, "twkRotaryn_Free");
  if (!entries.create || !entries.destroy || !entries.call || !entries.automate ||
      !entries.describe || !entries.free) {
    dlclose(library);
    throw PluginLoadError(libraryPath +
                          " is not a Rotaryn plug-in of this interface: a twkRotaryn_ entry "
                          "point is missing");
  }
  return {library, entries};
}

PluginDescription PluginHandle::describe(void* library, const Entries& entries) {
  char* answer = entries.describe();
  if (answer == nullptr) {
    dlclose(library);
    throw PluginLoadError("the plug-in did not describe its operations");
  }
  const QByteArray text(answer);
  entries.free(answer);
  try {
    return PluginDescription::parse(text);
  } catch (...) {
    dlclose(library);
    throw;
  }
}

PluginDescription PluginHandle::describe(const std::string& libraryPath) {
  auto [library, entries] = open(libraryPath);
  PluginDescription description = describe(library, entries);
  dlclose(library);
  return description;
}

PluginHandle PluginHandle::load(const std::string& libraryPath, const twkRotarynHostPorts& ports) {
  auto [library, entries] = open(libraryPath);
  PluginDescription description = describe(library, entries);
  twkRotarynPlugin* plugin = entries.create(TWK_ROTARYN_INTERFACE_VERSION, &ports);
  if (plugin == nullptr) {
    dlclose(library);
    throw PluginLoadError("the plug-in " + libraryPath + " refused interface version " +
                          std::to_string(TWK_ROTARYN_INTERFACE_VERSION) +
                          " (a plug-in built from other sources) or could not start");
  }
  PluginHandle handle(library, plugin, entries, std::move(description));
  // The API grants what the operations name: the plug-in must offer each of them.
  QJsonValue privileges;
  try {
    privileges = handle.call(QJsonObject{{"op", "GetPrivis"}});
  } catch (const PluginCallError& error) {
    throw PluginLoadError(std::string("the plug-in's GetPrivis failed: ") + error.what());
  }
  handle.description_.checkOffered(privileges);
  return handle;
}

PluginHandle::PluginHandle(PluginHandle&& other) noexcept
    : callTimed(std::move(other.callTimed)),
      library_(std::exchange(other.library_, nullptr)),
      plugin_(std::exchange(other.plugin_, nullptr)),
      entries_(other.entries_),
      description_(std::move(other.description_)) {}

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
  if (!callTimed) return exchange(entries_.call, request).value("result");
  const auto started = std::chrono::steady_clock::now();
  struct Timed {
    PluginHandle& handle;
    const QJsonObject& request;
    std::chrono::steady_clock::time_point started;
    ~Timed() {
      const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
      handle.callTimed(request.value("op").toString(), took.count());
    }
  } timed{*this, request, started};
  return exchange(entries_.call, request).value("result");
}

QJsonObject PluginHandle::automate(const QJsonObject& request) {
  return exchange(entries_.automate, request);
}

}  // namespace rotaryn::host
