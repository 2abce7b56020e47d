#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace rotaryn {

// What tells a file's contents apart without reading them: while none of these changed, the
// bytes did not either (a rewrite in place moves the times, a replacement brings a new inode).
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = 0;
  int64_t modifiedNs = 0;  // last change of the contents, ns since the epoch
  int64_t changedNs = 0;   // last change of the contents or the file's own data (a copy that
                           // keeps the old modification time still moves this one)
  bool operator==(const FileIdentity&) const = default;
};

// A file of a folder listing, with its identity when the file system can tell it.
struct ListedFile {
  std::string name;
  std::optional<FileIdentity> identity;
};
// A listing is never changed once made: a file system may hand out the same one again while
// the folder stays as it was.
using Listing = std::shared_ptr<const std::vector<ListedFile>>;

// The Scripting Runtime file-system object's calls, on Windows paths ("C:\Host\profiles\x").
// Every existing component of a path matches without regard to case, as on NTFS. Failures raise
// VbError: 53 file not found, 76 path not found, 70 permission denied, 58 already exists,
// 75 path/file access error, 61 disk full.
class FileSystem {
 public:
  FileSystem() = default;
  FileSystem(const FileSystem&) = delete;
  FileSystem& operator=(const FileSystem&) = delete;
  virtual ~FileSystem() = default;

  // False for a folder / a file respectively; never raise.
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool FolderExists(const std::string& path) = 0;
  // Creates the last level only: 58 when it exists, 76 when its parent is missing.
  virtual void CreateFolder(const std::string& path) = 0;
  // Deletes a file, read-only ones too when force is set (70 otherwise); 53 when missing.
  virtual void DeleteFile(const std::string& path, bool force) = 0;
  // Copies, overwriting by default; 70 for a read-only destination, 53 for a missing source.
  virtual void CopyFile(const std::string& source, const std::string& destination,
                        bool overwrite) = 0;
  // Names of the plain, non-hidden files of a folder, in the file system's listing order;
  // 76 when the folder is missing.
  virtual std::vector<std::string> FilesOf(const std::string& folder) = 0;
  // FilesOf with each file's identity, taken in the same pass. A file system that cannot tell
  // identities lists the names alone, and callers read such files again each time.
  virtual Listing FilesWithIdentityOf(const std::string& folder) {
    auto files = std::make_shared<std::vector<ListedFile>>();
    for (std::string& name : FilesOf(folder)) files->push_back({std::move(name), std::nullopt});
    return files;
  }
  // Creates an empty file; overwrites unless told not to (58 then); 76 for a missing folder.
  virtual void CreateTextFile(const std::string& path, bool overwrite) = 0;
  virtual int64_t FileSize(const std::string& path) = 0;

  // Whole-file access. readAll: 53 when missing. replaceAll writes a temporary file beside the
  // target and renames it over, so a failed write leaves the old file intact; 76 when the
  // folder is missing.
  virtual std::string ReadAll(const std::string& path) = 0;
  virtual void ReplaceAll(const std::string& path, const std::string& bytes) = 0;
  // ReplaceAll for a scratch file, one its writer deletes again before it returns: swapped in
  // the same way, but not forced to the disk first, since no one reads it after a crash.
  virtual void ReplaceScratch(const std::string& path, const std::string& bytes) {
    ReplaceAll(path, bytes);
  }
  // Appends, creating the file when missing; 76 when the folder is missing.
  virtual void Append(const std::string& path, const std::string& bytes) = 0;
  // Binary access at byte offsets (0-based). readAt returns fewer bytes at the end of the file.
  virtual std::string ReadAt(const std::string& path, int64_t offset, int64_t count) = 0;
  virtual void WriteAt(const std::string& path, int64_t offset, const std::string& bytes) = 0;
};

// Forwards every call, so a test overrides one method to inject a fault.
class FileSystemWrapper : public FileSystem {
 public:
  explicit FileSystemWrapper(FileSystem& target) : target_(target) {}

  bool FileExists(const std::string& path) override { return target_.FileExists(path); }
  bool FolderExists(const std::string& path) override { return target_.FolderExists(path); }
  void CreateFolder(const std::string& path) override { target_.CreateFolder(path); }
  void DeleteFile(const std::string& path, bool force) override { target_.DeleteFile(path, force); }
  void CopyFile(const std::string& source, const std::string& destination,
                bool overwrite) override {
    target_.CopyFile(source, destination, overwrite);
  }
  std::vector<std::string> FilesOf(const std::string& folder) override {
    return target_.FilesOf(folder);
  }
  Listing FilesWithIdentityOf(const std::string& folder) override {
    return target_.FilesWithIdentityOf(folder);
  }
  void CreateTextFile(const std::string& path, bool overwrite) override {
    target_.CreateTextFile(path, overwrite);
  }
  int64_t FileSize(const std::string& path) override { return target_.FileSize(path); }
  std::string ReadAll(const std::string& path) override { return target_.ReadAll(path); }
  void ReplaceAll(const std::string& path, const std::string& bytes) override {
    target_.ReplaceAll(path, bytes);
  }
  void Append(const std::string& path, const std::string& bytes) override {
    target_.Append(path, bytes);
  }
  std::string ReadAt(const std::string& path, int64_t offset, int64_t count) override {
    return target_.ReadAt(path, offset, count);
  }
  void WriteAt(const std::string& path, int64_t offset, const std::string& bytes) override {
    target_.WriteAt(path, offset, bytes);
  }

 protected:
  FileSystem& target_;
};

}  // namespace rotaryn
