#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"

namespace rotaryn {

// The Windows private-profile functions over the file-system port: case-insensitive section and
// key names, CRLF endings, single-byte text, file created on first write (not its folder).
// Every write rewrites the file through FileSystem::ReplaceAll, so it is never torn.
class IniFile {
 public:
  explicit IniFile(FileSystem& files) : files_(files) {}

  // GetPrivateProfileString with a 255-character buffer: at most 254 characters; the default
  // (trailing blanks removed) for a missing file, section or key.
  std::string read(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& defaultValue = "") const;
  // WritePrivateProfileString. Raises 76 when the folder is missing.
  void write(const std::string& path, const std::string& section, const std::string& key,
             const std::string& value);
  // Value NULL / key NULL: both succeed when nothing existed.
  void deleteKey(const std::string& path, const std::string& section, const std::string& key);
  void deleteSection(const std::string& path, const std::string& section);
  // Section names in file order; none for a missing file.
  std::vector<std::string> sectionNames(const std::string& path) const;
  // The section's lines as "key=value" in file order, lines without '=' included, comments not.
  std::vector<std::string> sectionLines(const std::string& path, const std::string& section) const;

 private:
  FileSystem& files_;
};

}  // namespace rotaryn
