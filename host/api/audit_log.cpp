#include "host/api/audit_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDateTime>
#include <QJsonDocument>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace rotaryn::host::api {

std::string AuditLog::currentFile() const {
  return root_ + "/logs/audit/" + QDate::currentDate().toString("yyyy-MM-dd").toStdString() +
         ".jsonl";
}

std::string AuditLog::write(const QJsonObject& entry) {
  const QDateTime now = QDateTime::currentDateTime();
  QJsonObject line{{"time", now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODateWithMs)}};
  for (auto it = entry.begin(); it != entry.end(); ++it) line.insert(it.key(), it.value());
  QByteArray text = QJsonDocument(line).toJson(QJsonDocument::Compact);
  text.append('\n');

  const std::filesystem::path folder = std::filesystem::path(root_) / "logs" / "audit";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  const std::string path =
      (folder / (now.date().toString("yyyy-MM-dd").toStdString() + ".jsonl")).string();
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0640);
  if (fd < 0) return "cannot open " + path + ": " + std::strerror(errno);
  ssize_t written = 0;
  do {
    written = ::write(fd, text.constData(), static_cast<size_t>(text.size()));
  } while (written < 0 && errno == EINTR);
  const int writeError = errno;
  ::close(fd);
  if (written != text.size()) {
    return "cannot append to " + path + ": " +
           (written < 0 ? std::strerror(writeError) : "a short write");
  }
  return "";
}

}  // namespace rotaryn::host::api
