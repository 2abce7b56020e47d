// Window events a script sends: handed to the plug-in's automation entry point, which delivers
// them to the window's handlers as its view does.
#include "host/script/json.h"
#include "host/script/session.h"

namespace rotaryn::host {

QJsonValue ScriptSession::automate(const QJsonObject& request) {
  QJsonObject answer;
  try {
    answer = plugin().automate(request);
  } catch (const PluginCallError& failure) {
    throw ScriptError(failure.description().toStdString());
  }
  return answer.value("result");
}

void ScriptSession::windowEvent(const ScriptLine& line) {
  QJsonObject request = line.object();
  request.remove("op");
  request["event"] = line.op();
  automate(request);
}

}  // namespace rotaryn::host
