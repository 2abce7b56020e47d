// The web console's routes over any request path: a path that names a file names one of the
// console's own compiled-in files, never a folder above or beside them.
#include <QRegularExpression>
#include <cstdint>
#include <cstdlib>

#include "host/api/static_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace rotaryn::host::api;
  const QByteArrayView path(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const std::optional<QString> resource = staticResource(path);
  if (!resource) return 0;
  static const QRegularExpression own(
      R"(^:/web/(index\.html|static/[A-Za-z0-9_-]+\.[A-Za-z0-9_-]+)$)");
  if (!own.match(*resource).hasMatch()) std::abort();
  if (!isStaticRoute("GET", path)) std::abort();
  const int status = staticAnswer(path).status;
  if (status != 200 && status != 404) std::abort();
  return 0;
}
