#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "rotaryn/twk_rotaryn.h"
#include "tests/support/scratch_folder.h"

namespace rotaryn {
namespace {

using Json = nlohmann::json;

// The smallest host: a fixed clock, timers it only records, boxes it answers with their first
// button and records.
struct MiniHost {
  std::vector<std::string> boxes;
  std::vector<std::string> timersStarted;
  twkRotarynHostPorts ports{};

  MiniHost() {
    ports.size = sizeof ports;
    ports.context = this;
    ports.localNow = [](void*, twkRotarynDateTime* now) { *now = {2026, 12, 6, 10, 0, 0}; };
    ports.monotonicMs = [](void*) -> int64_t { return 0; };
    ports.timerStart = [](void* c, const char* name, int32_t index, int32_t, twkRotarynTick,
                          void*) {
      static_cast<MiniHost*>(c)->timersStarted.push_back(name + std::to_string(index));
    };
    ports.timerStop = [](void*, const char*, int32_t) {};
    ports.doEvents = [](void*) {};
    ports.sleepMs = [](void*, int32_t) {};
    ports.messageBox = [](void* c, const char* text, const char*, int32_t) -> int32_t {
      static_cast<MiniHost*>(c)->boxes.push_back(text);
      return TWK_ROTARYN_ANSWER_OK;
    };
    ports.fileDialog = [](void*, int32_t, const char*, const char*, const char*, const char*, char*,
                          size_t) -> int32_t { return 0; };
    ports.setBusy = [](void*, int32_t) {};
  }
};

class PluginLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    // Installed into a root's Plugins folder, as a host installs it.
    std::filesystem::create_directories(std::filesystem::path(root.path()) / "Plugins");
    installed = std::filesystem::path(root.path()) / "Plugins" / "libtwkRotaryn.so";
    std::filesystem::copy_file(ROTARYN_PLUGIN_LIBRARY, installed);
    library = dlopen(installed.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    create = reinterpret_cast<decltype(create)>(dlsym(library, "twkRotaryn_CreatePlugin"));
    destroy = reinterpret_cast<decltype(destroy)>(dlsym(library, "twkRotaryn_DestroyPlugin"));
    callEntry = reinterpret_cast<decltype(callEntry)>(dlsym(library, "twkRotaryn_Call"));
    automateEntry =
        reinterpret_cast<decltype(automateEntry)>(dlsym(library, "twkRotaryn_Automate"));
    freeAnswer = reinterpret_cast<decltype(freeAnswer)>(dlsym(library, "twkRotaryn_Free"));
    ASSERT_TRUE(create && destroy && callEntry && automateEntry && freeAnswer);
  }
  void TearDown() override {
    if (plugin != nullptr) destroy(plugin);
    if (library != nullptr) dlclose(library);
  }
  Json exchange(decltype(&twkRotaryn_Call) entry, const std::string& request) {
    char* answer = entry(plugin, request.c_str());
    Json parsed = Json::parse(answer);
    freeAnswer(answer);
    return parsed;
  }
  Json call(const Json& request) { return exchange(callEntry, request.dump()); }

  ScratchFolder root;
  std::filesystem::path installed;
  void* library = nullptr;
  decltype(&twkRotaryn_CreatePlugin) create = nullptr;
  decltype(&twkRotaryn_DestroyPlugin) destroy = nullptr;
  decltype(&twkRotaryn_Call) callEntry = nullptr;
  decltype(&twkRotaryn_Automate) automateEntry = nullptr;
  decltype(&twkRotaryn_Free) freeAnswer = nullptr;
  twkRotarynPlugin* plugin = nullptr;
  MiniHost host;
};

TEST_F(PluginLibrary, ExportsOnlyItsCInterface) {
  // Everything else stays inside the library: a host cannot reach into the plug-in's objects.
  EXPECT_EQ(dlsym(library, "_ZN7rotaryn9clsPluginD1Ev"), nullptr);
  EXPECT_EQ(dlsym(library, "_ZN7rotaryn10raiseVbErrorEi"), nullptr);
}

TEST_F(PluginLibrary, RefusesAnotherInterfaceVersionOrAHostWithoutItsPorts) {
  EXPECT_EQ(create(TWK_ROTARYN_INTERFACE_VERSION + 1, &host.ports), nullptr);
  EXPECT_EQ(create(TWK_ROTARYN_INTERFACE_VERSION, nullptr), nullptr);
  twkRotarynHostPorts partial = host.ports;
  partial.messageBox = nullptr;
  EXPECT_EQ(create(TWK_ROTARYN_INTERFACE_VERSION, &partial), nullptr);
  partial = host.ports;
  partial.size = TWK_ROTARYN_HOST_PORTS_MIN_SIZE - 8;  // a table without the console gate
  EXPECT_EQ(create(TWK_ROTARYN_INTERFACE_VERSION, &partial), nullptr);
  // A host built before the screen port.
  partial = host.ports;
  partial.size = TWK_ROTARYN_HOST_PORTS_MIN_SIZE;
  twkRotarynPlugin* older = create(TWK_ROTARYN_INTERFACE_VERSION, &partial);
  EXPECT_NE(older, nullptr);
  destroy(older);
}

TEST_F(PluginLibrary, AnswersOperationsInJsonAndFailuresAsErrors) {
  plugin = create(TWK_ROTARYN_INTERFACE_VERSION, &host.ports);
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(call({{"op", "GetData"}})["result"]["File"], "twkRotaryn.dll");
  EXPECT_EQ(call({{"op", "GetPrivis"}})["result"][0], "Rotaryn");
  EXPECT_EQ(call({{"op", "dllVersion"}, {"pName", ""}})["result"],
            call({{"op", "GetData"}})["result"]["Version"]);

  Json unknown = call({{"op", "Frobnicate"}});
  EXPECT_EQ(unknown["error"]["number"], 438);
  EXPECT_EQ(call({{"op", "DisableProfile"}, {"Index", "one"}})["error"]["number"], 5);
  // An operation without an error trap answers its run-time error: no profile 3 is registered.
  Json score = call({{"op", "SetScore"}, {"Index", 3}, {"tk", 10}, {"dm", 20}, {"fb", 30}});
  EXPECT_EQ(score["error"]["number"], 9);
  EXPECT_FALSE(score["error"]["description"].get<std::string>().empty());
  Json beyond = call({{"op", "SetScore"}, {"Index", 3}, {"tk", 40000}, {"dm", 20}, {"fb", 30}});
  EXPECT_EQ(beyond["error"]["number"], 5);
  EXPECT_EQ(exchange(callEntry, "{not json")["error"]["number"], 5);
  EXPECT_EQ(exchange(automateEntry, R"({"dump":"control","control":"cmdAdd"})")["error"]["number"],
            5);
}

TEST_F(PluginLibrary, FindsItsRootFromItsFolderAndLogsUnderIt) {
  plugin = create(TWK_ROTARYN_INTERFACE_VERSION, &host.ports);
  ASSERT_NE(plugin, nullptr);
  // A profile whose server process does not exist: the load fails in a box naming the process,
  // and the window stays the plug-in's, with no view on a host without a Qt application.
  Json pdat = Json::array(
      {"", "DFBHD", 999999, "", "", "C:\\games\\x\\", 999999, "x", "", "", "", 0, 7920, 10920});
  EXPECT_TRUE(call({{"op", "LoadInterface"}, {"Index", 1}, {"pHwnd", 0}, {"PDAT", pdat}})
                  .contains("result"));
  ASSERT_FALSE(host.boxes.empty());
  Json window = exchange(automateEntry, R"({"dump":"window"})")["result"];
  EXPECT_EQ(window["exists"], true);
  EXPECT_EQ(host.timersStarted, (std::vector<std::string>{"tmrMaps1", "tmrMapTasks1"}));
  // The failure went to the log under the root the plug-in derived from its folder.
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(root.path()) / "logs" / "errors.log"));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(root.path()) / "Plugins" / "logs"));
  Json profile = exchange(automateEntry, R"({"dump":"profile","index":1})")["result"];
  EXPECT_EQ(profile["GameFolder"], "C:\\games\\x\\");
  EXPECT_EQ(profile["IsAffiliate"], false);
}

}  // namespace
}  // namespace rotaryn
