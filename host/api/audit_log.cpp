#include "host/api/audit_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <stdexcept>

#include "host/history/wall_clock.h"

namespace rotaryn::host::api {
namespace {

// The address's refusals go to one shared window once this many addresses are counted.
constexpr int kMaxCountedPeers = 4096;

bool unauthenticatedRefusal(const QJsonObject& entry) {
  return entry.value("admin").isNull() && entry.value("outcome").toString() == "refused";
}

}  // namespace

AuditLog::AuditLog(std::string rootPosix) : root_(std::move(rootPosix)) {
  clock_.start();
}

AuditLog::~AuditLog() {
  flushDropped(true);
}

std::string AuditLog::currentFile() const {
  return fileOf(QDate::currentDate());
}

std::string AuditLog::fileOf(const QDate& day) const {
  return root_ + "/logs/audit/" + day.toString("yyyy-MM-dd").toStdString() + ".jsonl";
}

QJsonObject AuditLog::readDay(const QDate& day, int most) const {
  QFile file(QString::fromStdString(fileOf(day)));
  QJsonArray entries;
  bool truncated = false;
  if (file.exists()) {
    if (!file.open(QIODevice::ReadOnly)) {
      throw std::runtime_error("the audit of " + day.toString("yyyy-MM-dd").toStdString() +
                               " cannot be read: " + file.errorString().toStdString());
    }
    const qint64 start = std::max<qint64>(0, file.size() - kMaxReadBytes);
    file.seek(start);
    QList<QByteArray> lines = file.readAll().split('\n');
    // A read that starts inside the file starts inside a line: that line is left out.
    if (start > 0 && !lines.isEmpty()) lines.removeFirst();
    truncated = start > 0;
    while (!lines.isEmpty() && lines.back().trimmed().isEmpty()) lines.removeLast();
    if (lines.size() > most) {
      lines = lines.mid(lines.size() - most);
      truncated = true;
    }
    for (const QByteArray& line : lines) {
      const QJsonDocument document = QJsonDocument::fromJson(line);
      // A line cut off by a crash mid-write is not an entry.
      if (document.isObject()) entries.append(document.object());
    }
  }
  return QJsonObject{
      {"day", day.toString("yyyy-MM-dd")}, {"entries", entries}, {"truncated", truncated}};
}

std::string AuditLog::write(const QJsonObject& entry) {
  std::string problem = flushDropped(false);
  if (unauthenticatedRefusal(entry)) {
    QString peer = entry.value("peer").toString();
    if (refusals_.size() >= kMaxCountedPeers && !refusals_.contains(peer)) peer = "*";
    Window& window = refusals_[peer];
    if (window.written == 0 && window.dropped == 0) window.start = clock_.elapsed();
    if (window.written >= kRefusalsPerWindow) {
      ++window.dropped;
      return problem;
    }
    ++window.written;
  }
  std::string appended = append(entry);
  return appended.empty() ? problem : appended;
}

std::string AuditLog::flushDropped() {
  return flushDropped(false);
}

std::string AuditLog::flushDropped(bool all) {
  const qint64 now = clock_.elapsed();
  std::string problem;
  for (auto it = refusals_.begin(); it != refusals_.end();) {
    if (!all && now - it->start < kRefusalWindowMs) {
      ++it;
      continue;
    }
    if (it->dropped > 0) {
      std::string appended = append(QJsonObject{
          {"peer", it.key()},
          {"outcome", "left out"},
          {"dropped", it->dropped},
          {"message", QString("%1 more refused requests without an administrator from this "
                              "address in %2 s were not written")
                          .arg(it->dropped)
                          .arg(kRefusalWindowMs / 1000)}});
      if (problem.empty()) problem = appended;
    }
    it = refusals_.erase(it);
  }
  return problem;
}

std::pair<QString, std::string> AuditLog::stampNow() {
  const WallClock now = wallClockNow();
  const tm& local = now.local;
  char day[16];
  std::strftime(day, sizeof day, "%Y-%m-%d", &local);
  char clock[16];
  std::strftime(clock, sizeof clock, "%H:%M:%S", &local);
  const long offset = local.tm_gmtoff;
  char zone[16] = "Z";
  if (offset != 0) {
    const int minutes = static_cast<int>(std::labs(offset) / 60 % (24 * 60));
    std::snprintf(zone, sizeof zone, "%c%02d:%02d", offset < 0 ? '-' : '+', minutes / 60,
                  minutes % 60);
  }
  char text[64];
  std::snprintf(text, sizeof text, "%sT%s.%03ld%s", day, clock, now.at.tv_nsec / 1000000, zone);
  return {QString::fromLatin1(text), day};
}

std::string AuditLog::append(QJsonObject entry) {
  const auto [time, day] = stampNow();
  for (auto it = entry.begin(); it != entry.end(); ++it) {
    if (!it.value().isString()) continue;
    const QString text = it.value().toString();
    if (text.size() > kMaxText) {
      it.value() = text.left(kMaxText) + QString("...(%1 characters)").arg(text.size());
    }
  }
  if (!entry.contains("time")) entry.insert("time", time);
  QByteArray text = QJsonDocument(entry).toJson(QJsonDocument::Compact);
  text.append('\n');

  const std::filesystem::path folder = std::filesystem::path(root_) / "logs" / "audit";
  const std::string path = (folder / (day + ".jsonl")).string();
  std::string problem;
  const int fd = file_.open(path, 0640, problem);
  if (fd < 0) return problem;
  ssize_t written = 0;
  do {
    written = ::write(fd, text.constData(), static_cast<size_t>(text.size()));
  } while (written < 0 && errno == EINTR);
  if (written != text.size()) {
    const int writeError = errno;
    file_.close();
    return "cannot append to " + path + ": " +
           (written < 0 ? std::strerror(writeError) : "a short write");
  }
  return "";
}

}  // namespace rotaryn::host::api
