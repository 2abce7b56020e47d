#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/component_registry.h"
#include "platform/file_system.h"
#include "platform/ini_file.h"
#include "plugin/utility.h"

namespace rotaryn {

// Our "Fennor.clsMFD" over the file-system port. hostRoot is the host's root folder as a
// Windows path; the error log and the report outbox live under hostRoot & "\logs".
//
// Formats other programs rely on:
// - CompressString: base 64 (RFC 4648, "+/" and "=" padding) of a zlib stream (RFC 1950) of the
//   text's bytes. Printable, so it survives any separator or transport the text goes through.
// - errors.log: one line per failure, fields separated by TAB:
//   "yyyy-mm-dd hh:mm:ss", module, procedure, "Error " number, description, "Line " line.
// - Each report is one file "report-yyyymmdd-hhmmss-<n>.txt" in "\logs\outbox", an INI section
//   [ErrorReport] with the keys Number, Description, Module, Procedure, IsAffiliate, Line.
class clsMFD final : public IUtility {
 public:
  clsMFD(FileSystem& files, Clock& clock, std::string hostRoot);

  std::string GetIniKey(const std::string& section, const std::string& key,
                        std::string& file) override;
  std::vector<std::string> GetAllIniSections(std::string& file) override;
  std::vector<std::string> GetIniSection(const std::string& section, std::string& file) override;
  std::string ParseIniKey(const std::string& line, bool flag = false) override;
  // Adds the text as a line of its own: the text, then CRLF.
  void AppendFile(const std::string& path, const std::string& text) override;
  void WriteFile(const std::string& path, std::vector<std::string>& lines) override;
  // Lines end at CRLF or LF; a final line end adds no empty line.
  std::vector<std::string> ReadFile(const std::string& path) override;
  std::string CompressString(std::string& text) override;
  std::string DecompressString(const std::string& compressed, int32_t length) override;
  void LogError(const std::string& module, std::string& procedure, const VbError& error,
                int32_t& line) override;
  // False, never an error, when the report cannot be written or does not have six values.
  bool SendErrorReport(std::vector<Variant>& values) override;

 private:
  // Creates hostRoot & "\logs" & sub when missing; returns its path.
  std::string logFolder(const std::string& sub);

  FileSystem& files_;
  Clock& clock_;
  std::string hostRoot_;
  IniFile ini_;
  uint32_t reportCounter_ = 0;
};

// Makes "Fennor.clsMFD" creatable; every object shares files and clock, which must outlive the
// registry's use.
void registerFennor(ComponentRegistry& registry, FileSystem& files, Clock& clock,
                    std::string hostRoot);

}  // namespace rotaryn
