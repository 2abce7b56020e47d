#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/vb_error.h"

namespace rotaryn::fuzz {

// Files in a map, so that fuzz targets run their parsers at full speed without touching a disk.
// Folders all exist; paths match exactly.
class MemoryFileSystem final : public FileSystem {
 public:
  std::map<std::string, std::string> files;

  bool FileExists(const std::string& path) override { return files.count(path) != 0; }
  bool FolderExists(const std::string&) override { return true; }
  void CreateFolder(const std::string&) override {}
  void DeleteFile(const std::string& path, bool) override { files.erase(existing(path)); }
  void CopyFile(const std::string& source, const std::string& destination, bool) override {
    files[destination] = files.at(existing(source));
  }
  std::vector<std::string> FilesOf(const std::string& folder) override {
    std::vector<std::string> names;
    // The plug-in names a folder with or without its final backslash.
    const std::string prefix = folder.ends_with('\\') ? folder : folder + "\\";
    for (const auto& [path, bytes] : files) {
      if (path.rfind(prefix, 0) == 0 && path.find('\\', prefix.size()) == std::string::npos) {
        names.push_back(path.substr(prefix.size()));
      }
    }
    return names;
  }
  void CreateTextFile(const std::string& path, bool) override { files[path].clear(); }
  int64_t FileSize(const std::string& path) override {
    return static_cast<int64_t>(files.at(existing(path)).size());
  }
  std::string ReadAll(const std::string& path) override { return files.at(existing(path)); }
  void ReplaceAll(const std::string& path, const std::string& bytes) override {
    files[path] = bytes;
  }
  void Append(const std::string& path, const std::string& bytes) override { files[path] += bytes; }
  std::string ReadAt(const std::string& path, int64_t offset, int64_t count) override {
    const std::string& bytes = files.at(existing(path));
    if (offset < 0 || static_cast<size_t>(offset) >= bytes.size()) return "";
    return bytes.substr(static_cast<size_t>(offset), static_cast<size_t>(count));
  }
  void WriteAt(const std::string& path, int64_t offset, const std::string& bytes) override {
    std::string& file = files[path];
    const size_t end = static_cast<size_t>(offset) + bytes.size();
    if (file.size() < end) file.resize(end, '\0');
    file.replace(static_cast<size_t>(offset), bytes.size(), bytes);
  }

 private:
  const std::string& existing(const std::string& path) {
    if (files.count(path) == 0) raiseVbError(vberr::kFileNotFound, "File not found");
    return path;
  }
};

}  // namespace rotaryn::fuzz
