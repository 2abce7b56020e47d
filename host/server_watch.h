#pragma once

#include <QTimer>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "formats/game_names.h"

namespace rotaryn::host {

class HostApp;

// Prints, as it happens, the map each watched server plays and its game state, as the plug-in
// reads them from the server's memory. For demonstrations and operators; the plug-in does not
// need it.
class ServerWatch {
 public:
  ServerWatch(HostApp& host, int intervalMs, std::function<void(const std::string&)> print);

  void watch(int32_t index, const std::string& label);
  void forget(int32_t index);

 private:
  struct Watched {
    std::string label;
    std::string lastLine;
  };
  void poll();
  std::string describe(int32_t index);

  HostApp& host_;
  std::function<void(const std::string&)> print_;
  std::map<int32_t, Watched> servers_;
  QTimer timer_;
};

}  // namespace rotaryn::host
