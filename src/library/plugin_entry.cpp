// The plug-in library's C entry points: the plug-in object, its components and its window's Qt
// view behind the interface of twk_rotaryn.h. No C++ exception crosses them.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "components/fennor/cls_mfd.h"
#include "components/gravik/process_memory.h"
#include "platform/adapters/module_path.h"
#include "platform/adapters/windows_file_system.h"
#include "platform/vb_error.h"
#include "plugin/cls_plugin.h"
#include "plugin/host_ports.h"
#include "plugin/plugin_calls.h"
#include "plugin/startup.h"
#include "rotaryn/twk_rotaryn.h"
#include "ui/automation/window_automation.h"
#include "ui/qt/qt_window_views.h"

namespace {

using namespace rotaryn;

constexpr size_t kErrorText = 512;

// Server memory through the host's ports, for hosts whose servers are not processes of this
// machine (the scripted host's simulated servers).
class HostMemoryTransport final : public gravik::MemoryTransport {
 public:
  explicit HostMemoryTransport(const twkRotarynHostPorts& ports) : ports_(ports) {}

  void read(int32_t pid, uint32_t address, void* out, size_t size) override {
    char error[kErrorText] = {};
    int32_t number = ports_.readMemory(ports_.context, pid, address, out,
                                       static_cast<uint32_t>(size), error, sizeof error);
    if (number != 0) raise(number, error);
  }
  void write(int32_t pid, uint32_t address, const void* in, size_t size) override {
    char error[kErrorText] = {};
    int32_t number = ports_.writeMemory(ports_.context, pid, address, in,
                                        static_cast<uint32_t>(size), error, sizeof error);
    if (number != 0) raise(number, error);
  }

 private:
  [[noreturn]] static void raise(int32_t number, char* error) {
    error[kErrorText - 1] = '\0';
    raiseVbError(number, fromJsonText(error, '?'));
  }
  const twkRotarynHostPorts& ports_;
};

}  // namespace

// Everything one plug-in object is made of, in the order it is built and the reverse order it
// goes: the components and ports outlive the plug-in object that uses them.
struct twkRotarynPlugin {
  twkRotarynPlugin(const twkRotarynHostPorts& hostPorts, const std::string& folder)
      : ports(hostPorts), memory(makeMemory(ports.raw())) {
    // The utility component logs under the same root the plug-in derives from its folder.
    registerFennor(registry, files, ports, deriveRootFolder(folder));
    registry.registerFactory(kMemoryAccessProgId, [this] { return memory; });
    plugin = std::make_unique<clsPlugin>(Ports{registry, files, ports, ports, ports, ports, &views,
                                               &ports, ports.hasEventPort() ? &ports : nullptr},
                                         folder);
  }

  static std::shared_ptr<gravik::ProcessMemory> makeMemory(const twkRotarynHostPorts& raw) {
    std::shared_ptr<gravik::MemoryTransport> transport;
    if (raw.readMemory != nullptr) transport = std::make_shared<HostMemoryTransport>(raw);
    auto memory = std::make_shared<gravik::ProcessMemory>(std::move(transport));
    if (raw.consoleCommand != nullptr) {
      memory->setCommandGate([&raw](int32_t index, int32_t target, const std::string& command) {
        char error[kErrorText] = {};
        if (raw.consoleCommand(raw.context, index, target, jsonText(command).c_str(), error,
                               sizeof error) != 0) {
          error[kErrorText - 1] = '\0';
          raiseVbError(vberr::kInvalidCall, fromJsonText(error, '?'));
        }
      });
    }
    return memory;
  }

  HostPorts ports;
  WindowsFileSystem files;
  ComponentRegistry registry;
  std::shared_ptr<gravik::ProcessMemory> memory;
  QtWindowViews views;
  std::unique_ptr<clsPlugin> plugin;
};

namespace {

char* answerText(const Json& answer) {
  std::string text = answer.dump(-1, ' ', false, Json::error_handler_t::replace);
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (copy != nullptr) std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

template <class Body>
char* answering(const char* request, Body&& body) noexcept {
  try {
    if (request == nullptr) return answerText(errorAnswer(vberr::kInvalidCall, "no request"));
    Json parsed = Json::parse(request, nullptr, false);
    if (parsed.is_discarded()) {
      return answerText(errorAnswer(vberr::kInvalidCall, "the request is not JSON"));
    }
    return answerText(body(parsed));
  } catch (const VbError& error) {
    return answerText(errorAnswer(error.number(), error.description()));
  } catch (const std::bad_alloc&) {
    return answerText(errorAnswer(vberr::kOutOfMemory, "Out of memory"));
  } catch (const std::exception& error) {
    return answerText(errorAnswer(vberr::kInternalError, error.what()));
  } catch (...) {
    return answerText(errorAnswer(vberr::kInternalError, "Internal error"));
  }
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) twkRotarynPlugin* twkRotaryn_CreatePlugin(
    int32_t interfaceVersion, const twkRotarynHostPorts* ports) {
  if (interfaceVersion != TWK_ROTARYN_INTERFACE_VERSION || ports == nullptr) return nullptr;
  try {
    std::string folder = moduleFolderOf(reinterpret_cast<const void*>(&twkRotaryn_CreatePlugin));
    return new twkRotarynPlugin(*ports, WindowsFileSystem::toWindowsPath(folder));
  } catch (...) {
    return nullptr;
  }
}

__attribute__((visibility("default"))) void twkRotaryn_DestroyPlugin(twkRotarynPlugin* plugin) {
  try {
    delete plugin;
  } catch (...) {
  }
}

__attribute__((visibility("default"))) char* twkRotaryn_Call(twkRotarynPlugin* plugin,
                                                             const char* request) {
  return answering(request, [plugin](const Json& parsed) {
    return callPluginOperation(*plugin->plugin, parsed);
  });
}

__attribute__((visibility("default"))) char* twkRotaryn_Automate(twkRotarynPlugin* plugin,
                                                                 const char* request) {
  return answering(request, [plugin](const Json& parsed) {
    return automateWindow(plugin->plugin->module(), parsed);
  });
}

__attribute__((visibility("default"))) char* twkRotaryn_Describe(void) {
  return answering("{}", [](const Json&) { return Json{{"result", describeOperations()}}; });
}

__attribute__((visibility("default"))) void twkRotaryn_Free(char* answer) {
  std::free(answer);
}
}
