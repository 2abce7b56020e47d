#pragma once

#include <QJsonObject>
#include <string>

namespace rotaryn::host::api {

// The host's audit of the remote API: one JSON line per request, accepted or refused, in
// ROOT/logs/audit/<yyyy-mm-dd>.jsonl (local date). The plug-in's admin log is its own.
class AuditLog {
 public:
  explicit AuditLog(std::string rootPosix) : root_(std::move(rootPosix)) {}

  // Adds "time" (local, ISO 8601 with milliseconds) before the entry's fields and appends the
  // line with one write, so lines of concurrent writers never interleave. Returns an empty
  // text, or why the line could not be written.
  std::string write(const QJsonObject& entry);
  // Today's file.
  std::string currentFile() const;

 private:
  std::string root_;
};

}  // namespace rotaryn::host::api
