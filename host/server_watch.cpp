#include "host/server_watch.h"

#include "host/host_app.h"

namespace rotaryn::host {

ServerWatch::ServerWatch(HostApp& host, int intervalMs,
                         std::function<void(const std::string&)> print)
    : host_(host), print_(std::move(print)) {
  timer_.setTimerType(Qt::CoarseTimer);
  QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { poll(); });
  timer_.start(intervalMs);
}

void ServerWatch::watch(int32_t index, const std::string& label) {
  servers_[index] = Watched{label, {}};
  try {
    QJsonObject state = host_.serverState(index);
    print_(label + ": " + (state.value("affiliate").toBool() ? "affiliate" : "standard") +
           " build, resource pack " + state.value("pack").toString().toStdString());
  } catch (const std::exception& error) {
    print_(label + ": cannot read the server: " + error.what());
  }
  poll();
}

void ServerWatch::forget(int32_t index) {
  servers_.erase(index);
}

std::string ServerWatch::describe(int32_t index) {
  QJsonObject state = host_.serverState(index);
  int type = state.value("gameType").toInt();
  std::string typeName = state.contains("gameTypeName")
                             ? state.value("gameTypeName").toString().toStdString()
                             : "game type " + std::to_string(type);
  return "playing \"" + state.value("map").toString().toStdString() + "\" (" + typeName + "), " +
         formats::gameStateName(state.value("state").toInt());
}

void ServerWatch::poll() {
  for (auto& [index, server] : servers_) {
    std::string line;
    try {
      line = describe(index);
    } catch (const std::exception& error) {
      line = std::string("cannot read the server: ") + error.what();
    }
    if (line == server.lastLine) continue;
    server.lastLine = line;
    print_(server.label + ": " + line);
  }
}

}  // namespace rotaryn::host
