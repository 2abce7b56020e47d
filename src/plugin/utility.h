#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/component_registry.h"
#include "platform/variant.h"
#include "platform/vb_error.h"

namespace rotaryn {

inline constexpr const char* kUtilityProgId = "Fennor.clsMFD";

// The utility component "Fennor.clsMFD": INI access, whole-file text, compression, error log
// and reports. Every member raises VbError on failure. Paths are Windows paths.
class IUtility : public Component {
 public:
  virtual std::string GetIniKey(const std::string& section, const std::string& key,
                                std::string& file) = 0;
  // Section names from index 0; empty for a missing file.
  virtual std::vector<std::string> GetAllIniSections(std::string& file) = 0;
  // The section's "key=value" lines in file order.
  virtual std::vector<std::string> GetIniSection(const std::string& section, std::string& file) = 0;
  // The text after the first '='; the flag is accepted and has no effect.
  virtual std::string ParseIniKey(const std::string& line, bool flag = false) = 0;
  virtual void AppendFile(const std::string& path, const std::string& text) = 0;
  // Replaces the file with the lines, each ended by CRLF, as a plain file write does: swapped in
  // whole, not forced to the disk (the plug-in writes only scratch files with it).
  virtual void WriteFile(const std::string& path, std::vector<std::string>& lines) = 0;
  // The file's lines without their line ends.
  virtual std::vector<std::string> ReadFile(const std::string& path) = 0;
  virtual std::string CompressString(std::string& text) = 0;
  // length: the uncompressed length carried with the text; a mismatch raises error 5.
  virtual std::string DecompressString(const std::string& compressed, int32_t length) = 0;
  virtual void LogError(const std::string& module, std::string& procedure, const VbError& error,
                        int32_t& line) = 0;
  // values: number, description, module and version, procedure, IsAffiliate, line.
  virtual bool SendErrorReport(std::vector<Variant>& values) = 0;
};

}  // namespace rotaryn
