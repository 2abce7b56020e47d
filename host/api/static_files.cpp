#include "host/api/static_files.h"

#include <QFile>
#include <QString>

namespace rotaryn::host::api {
namespace {

constexpr QByteArrayView kStaticPrefix = "/static/";

QByteArray contentTypeOf(QByteArrayView name) {
  if (name.endsWith(".html")) return "text/html; charset=utf-8";
  if (name.endsWith(".js")) return "text/javascript; charset=utf-8";
  if (name.endsWith(".css")) return "text/css; charset=utf-8";
  if (name.endsWith(".svg")) return "image/svg+xml";
  if (name.endsWith(".png")) return "image/png";
  return "application/octet-stream";
}

// A name inside the console's folder: letters, digits, "-", "_" and one "." before the
// extension; no "/" or "..", so nothing outside the compiled-in files can be named.
bool isFileName(QByteArrayView name) {
  if (name.isEmpty() || name.size() > 64 || name.front() == '.') return false;
  int dots = 0;
  for (char c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_';
    if (c == '.') {
      ++dots;
    } else if (!plain) {
      return false;
    }
  }
  return dots == 1;
}

// The path without its query: the page's own links carry none, a bookmark may.
QByteArrayView withoutQuery(QByteArrayView path) {
  const qsizetype query = path.indexOf('?');
  return query < 0 ? path : path.first(query);
}

}  // namespace

bool isStaticRoute(QByteArrayView method, QByteArrayView path) {
  if (method != "GET" && method != "HEAD") return false;
  const QByteArrayView bare = withoutQuery(path);
  return bare == "/" || bare == "/index.html" || bare.startsWith(kStaticPrefix);
}

std::optional<QString> staticResource(QByteArrayView path) {
  const QByteArrayView bare = withoutQuery(path);
  if (!bare.startsWith(kStaticPrefix)) {
    if (bare == "/" || bare == "/index.html") return QString(":/web/index.html");
    return std::nullopt;
  }
  const QByteArrayView name = bare.sliced(kStaticPrefix.size());
  if (!isFileName(name)) return std::nullopt;
  return ":/web/static/" + QString::fromLatin1(name.toByteArray());
}

HttpAnswer staticAnswer(QByteArrayView path) {
  const std::optional<QString> resource = staticResource(path);
  QFile file(resource.value_or(QString()));
  if (!resource || !file.open(QIODevice::ReadOnly)) {
    return HttpAnswer{404, "{\"error\":{\"status\":404,\"message\":\"no such file\"}}"};
  }
  HttpAnswer answer{200, file.readAll()};
  answer.contentType = contentTypeOf(resource->toLatin1());
  // The files change only with the host: the browser asks again but may reuse what it has.
  answer.cacheControl = "no-cache";
  return answer;
}

}  // namespace rotaryn::host::api
