#include "tests/support/plugin_fixture.h"

#include "components/fennor/cls_mfd.h"
#include "components/gravik/register_gravik.h"
#include "platform/variant.h"
#include "plugin/profiles.h"
#include "store/profile_paths.h"

namespace rotaryn {

namespace {

constexpr int32_t kFirstPid = 1000;

// Makes the host's folders and the two components available before the Module starts.
std::string prepareHost(const ScratchFolder& scratch, FileSystem& files, Clock& clock,
                        ComponentRegistry& registry) {
  for (const char* folder : {"Plugins", "profiles", "settings"})
    scratch.write(std::string(folder) + "/.keep", "");
  std::string root = WindowsFileSystem::toWindowsPath(scratch.path());
  registerFennor(registry, files, clock, root);
  return root;
}

}  // namespace

FieldWrites writesTo(const sim::ServerModel& server, std::initializer_list<const char*> keys) {
  FieldWrites writes;
  for (const sim::ClientWrite& write : server.clientWrites()) {
    for (const char* key : keys) {
      if (write.address == server.layout().at(key)) writes.emplace_back(key, write.number());
    }
  }
  return writes;
}

PluginFixture::PluginFixture()
    : memory(gravik::registerSimulatedGravik(registry)),
      root_(prepareHost(scratch, files, scheduler, registry)),
      module(Ports{registry, files, scheduler, scheduler, scheduler, dialogs}, root_) {}

sim::ServerModel& PluginFixture::addProfile(int32_t index, sim::ServerOptions options) {
  const int32_t pid = kFirstPid + index;
  const bool affiliate = options.build == sim::ServerBuild::kAffiliate;
  sim::ServerModel& server = memory->addServer(pid, std::move(options));
  scratch.write(gameFolderOnDisk(index) + "/.keep", "");
  scratch.write("profiles/profile" + std::to_string(index) + "/.keep", "");
  RegisterProfile(module, index, Variant(pdatOf(index, affiliate)));
  return server;
}

void PluginFixture::registerAgain(int32_t index) {
  const bool affiliate =
      memory->server(kFirstPid + index).options().build == sim::ServerBuild::kAffiliate;
  RegisterProfile(module, index, Variant(pdatOf(index, affiliate)));
}

Variant::Array PluginFixture::pdatOf(int32_t index, bool affiliate) const {
  const int32_t pid = kFirstPid + index;
  return {Variant("host"), Variant(affiliate ? "DFBHD_AFF" : "DFBHD"),
          Variant(pid),    Variant(""),
          Variant(""),     Variant(gameFolder(index)),
          Variant(pid),    Variant("profile" + std::to_string(index))};
}

Variant PluginFixture::remotePdat(const std::string& administrator, int16_t sharedLog,
                                  int32_t index) const {
  const int32_t pid = kFirstPid + index;
  const bool affiliate =
      memory->hasServer(pid) && memory->server(pid).options().build == sim::ServerBuild::kAffiliate;
  Variant::Array pdat = pdatOf(index, affiliate);
  for (const Variant& more : {Variant(""), Variant(""), Variant(administrator), Variant(sharedLog)})
    pdat.push_back(more);
  return Variant(std::move(pdat));
}

std::string PluginFixture::gameFolder(int32_t index) const {
  return root_ + "\\game" + std::to_string(index) + "\\";
}

std::string PluginFixture::settingsFolder(int32_t index) const {
  return settingsFolderOf(module, index);
}

std::string PluginFixture::gameFolderOnDisk(int32_t index) {
  return "game" + std::to_string(index);
}

std::string PluginFixture::settingsFolderOnDisk(int32_t index) {
  return "profiles/profile" + std::to_string(index) + "/settings";
}

int PluginFixture::failuresOf(const std::string& procedure) const {
  int count = 0;
  for (const auto& box : dialogs.boxes()) {
    if (box.title == "DLL Error!" &&
        box.text.find("Function/Sub: " + procedure + "\r\n") != std::string::npos) {
      ++count;
    }
  }
  return count;
}

}  // namespace rotaryn
