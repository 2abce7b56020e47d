#pragma once

#include <QDate>
#include <QElapsedTimer>
#include <QHash>
#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <string>
#include <utility>

#include "host/history/kept_file.h"

namespace rotaryn::host::api {

// The host's audit of the remote API: one JSON line per request, accepted or refused, in
// ROOT/logs/audit/<yyyy-mm-dd>.jsonl (local date). The plug-in's admin log is its own.
// A client without a token must not be able to fill the disk: every text field is cut to
// kMaxText characters, and the refused requests of one address that named no administrator
// are written kRefusalsPerWindow a window at most; one line then counts those left out.
class AuditLog {
 public:
  static constexpr int kMaxText = 256;
  static constexpr int kRefusalsPerWindow = 30;
  static constexpr qint64 kRefusalWindowMs = 60000;

  explicit AuditLog(std::string rootPosix);
  ~AuditLog();
  AuditLog(const AuditLog&) = delete;
  AuditLog& operator=(const AuditLog&) = delete;

  // Adds "time" (local, ISO 8601 with milliseconds) before the entry's fields and appends the
  // line with one write, so lines of concurrent writers never interleave; the line is in the
  // file (the kernel's) when this returns. Returns an empty text, or why the line could not be
  // written.
  std::string write(const QJsonObject& entry);
  // Writes the count of each address whose window has ended with refusals left out.
  std::string flushDropped();
  // Refusals are being counted for some address (flushDropped has work to do later).
  bool countingRefusals() const { return !refusals_.isEmpty(); }
  // Today's file, and the file of a day.
  std::string currentFile() const;
  std::string fileOf(const QDate& day) const;
  // The last `most` lines of a day, each as its JSON object: {"day":"yyyy-mm-dd","entries":[...],
  // "truncated":bool}, truncated when lines before them were left out. Only the last
  // kMaxReadBytes of the file are read, so a day of any size costs the same. Throws
  // std::runtime_error when the file exists but cannot be read.
  static constexpr qint64 kMaxReadBytes = 4 << 20;
  QJsonObject readDay(const QDate& day, int most) const;

 private:
  struct Window {
    qint64 start = 0;
    int written = 0;
    int dropped = 0;
  };
  std::string append(QJsonObject entry);
  // The local time of now as the audit writes it ("2026-12-07T10:22:52.416Z", or with the
  // zone's offset) and the day's file name part ("2026-12-07").
  std::pair<QString, std::string> stampNow();
  std::string flushDropped(bool all);

  std::string root_;
  QElapsedTimer clock_;
  QHash<QString, Window> refusals_;  // by peer address
  KeptAppendFile file_;              // today's
};

}  // namespace rotaryn::host::api
