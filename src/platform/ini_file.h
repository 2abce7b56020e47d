#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/vb_error.h"

namespace rotaryn {

// A write the file system refused (missing folder, read-only file, disk error). Windows' writer
// only answers FALSE, which nobody looks at, so the setting silently stays as it was; we keep
// that (nothing raised, the old file intact) but tell a sink, so that the operator can find out.
// The sink is a plain callback so that this layer knows nothing of whoever keeps the log: the
// plug-in points it at the utility component's error log.
struct IniWriteFailure {
  std::string path;  // the INI file as the caller named it
  VbError reason;    // the system's error; its description names the file
};
using IniFailureSink = std::function<void(const IniWriteFailure&)>;

// The sink of an IniFile given none: one line on standard error.
void logIniFailureToStandardError(const IniWriteFailure& failure);

// The Windows private-profile functions over the file-system port: case-insensitive section and
// key names, CRLF endings (CR or LF alone read as line ends too), single-byte text, file created
// on first write (not its folder). Every write rewrites the file through FileSystem::ReplaceAll,
// so it is never torn.
class IniFile {
 public:
  explicit IniFile(FileSystem& files, IniFailureSink onWriteFailure = logIniFailureToStandardError)
      : files_(files), onWriteFailure_(std::move(onWriteFailure)) {}

  // GetPrivateProfileString with a 255-character buffer: at most 254 characters; the default
  // (trailing blanks removed) for a missing file, section or key.
  std::string read(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& defaultValue = "") const;
  // WritePrivateProfileString. The three writers answer false when the file system refused the
  // write, after telling the sink once; they never raise for it. A line break in a name or value
  // is the caller's mistake and raises 5.
  bool write(const std::string& path, const std::string& section, const std::string& key,
             const std::string& value);
  // Several keys of one section: the file ends exactly as the successive writes leave it, read
  // once and replaced at most once. A refused replace leaves the file as it was, as the first
  // of the successive writes would.
  bool write(const std::string& path, const std::string& section,
             const std::vector<std::pair<std::string, std::string>>& values);
  // Value NULL / key NULL: both succeed when nothing existed.
  bool deleteKey(const std::string& path, const std::string& section, const std::string& key);
  bool deleteSection(const std::string& path, const std::string& section);
  // Section names in file order; none for a missing file.
  std::vector<std::string> sectionNames(const std::string& path) const;
  // The section's lines as "key=value" in file order, lines without '=' included, comments not.
  std::vector<std::string> sectionLines(const std::string& path, const std::string& section) const;
  // Both at once from one read of the file: each name as sectionNames lists it, with the lines
  // sectionLines gives for it.
  struct Section {
    std::string name;
    std::vector<std::string> lines;
    bool operator==(const Section&) const = default;
  };
  std::vector<Section> sections(const std::string& path) const;

 private:
  // Runs one write; a VbError from the file system goes to the sink and answers false.
  bool reporting(const std::string& path, const std::function<void()>& change);

  FileSystem& files_;
  IniFailureSink onWriteFailure_;
};

}  // namespace rotaryn
