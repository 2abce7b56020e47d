#include "host/host_root.h"

#include <QFile>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <system_error>

namespace rotaryn::host {
namespace {

namespace fs = std::filesystem;

void makeFolder(const fs::path& folder) {
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) {
    throw std::runtime_error("cannot create the folder " + folder.string() + ": " +
                             error.message());
  }
}

void writeIfMissing(const fs::path& file, const std::string& bytes) {
  if (fs::exists(file)) return;
  std::ofstream out(file, std::ios::binary);
  out << bytes;
  if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
}

std::string resource(const char* name) {
  QFile file(QString(":/rotaryn/imgs/") + name);
  if (!file.open(QIODevice::ReadOnly)) {
    throw std::runtime_error(std::string("the host was built without its picture ") + name);
  }
  QByteArray bytes = file.readAll();
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace

void layOutRoot(const std::string& rootPosix, const std::vector<ProfileConfig>& profiles) {
  const fs::path root(rootPosix);
  for (const char* folder : {"Plugins", "profiles", "settings", "imgs", "adminlogs"}) {
    makeFolder(root / folder);
  }
  writeIfMissing(root / "settings" / "config.ini", "[Settings]\r\nReportErrors=0\r\n");
  for (const char* picture : {"butup.gif", "butdown.gif"}) {
    writeIfMissing(root / "imgs" / picture, resource(picture));
  }
  for (const ProfileConfig& profile : profiles) {
    makeFolder(root / "profiles" / profile.profileFolder / "settings");
    // A real server's folder is the server's own; only a simulated one gets it made.
    if (profile.server.kind == ServerSource::Kind::kSimulated) makeFolder(profile.gameFolderPosix);
  }
}

void installPlugin(const std::string& libraryFile, const std::string& rootPosix) {
  const fs::path target = fs::path(rootPosix) / "Plugins" / kPluginFileName;
  makeFolder(target.parent_path());
  std::error_code error;
  fs::copy_file(libraryFile, target, fs::copy_options::overwrite_existing, error);
  if (error) {
    throw std::runtime_error("cannot copy the plug-in " + libraryFile + " to " + target.string() +
                             ": " + error.message());
  }
}

std::string pluginPathIn(const std::string& rootPosix) {
  return (fs::path(rootPosix) / "Plugins" / kPluginFileName).string();
}

std::optional<HostConfig> loadRoot(const std::string& rootPosix, int& exitCode) {
  try {
    HostConfig config = readHostConfig(rootPosix + "/" + kHostIniName, rootPosix);
    layOutRoot(rootPosix, config.profiles);
    return config;
  } catch (const HostConfigError& error) {
    std::cerr << "rotaryn-host: " << error.what() << "\nrotaryn-host: nothing was started\n";
    exitCode = 2;
  } catch (const std::exception& error) {
    std::cerr << "rotaryn-host: " << error.what() << "\n";
    exitCode = 3;
  }
  return std::nullopt;
}

}  // namespace rotaryn::host
