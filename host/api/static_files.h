#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>

#include "host/api/http_server.h"

namespace rotaryn::host::api {

// The web console's files, compiled into the host: "/" is its page, "/static/NAME" its scripts,
// style sheet and pictures. They need no token (they hold no data); everything they show comes
// from the API with the administrator's token.
bool isStaticRoute(QByteArrayView method, QByteArrayView path);
// The compiled-in file a static route names (":/web/index.html", ":/web/static/NAME"); none for
// a name the console could not have.
std::optional<QString> staticResource(QByteArrayView path);
// The answer for a static route: the file, or 404 for a name the console does not have.
HttpAnswer staticAnswer(QByteArrayView path);

}  // namespace rotaryn::host::api
