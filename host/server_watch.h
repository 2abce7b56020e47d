#pragma once

#include <QTimer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "plugin/memory_access.h"

namespace rotaryn::host {

// Prints, as it happens, the map each watched server plays and its game state, read from the
// server's memory the way the plug-in reads it. For demonstrations and operators; the plug-in
// does not need it.
class ServerWatch {
 public:
  ServerWatch(IMemoryAccess& memory, int intervalMs, std::function<void(const std::string&)> print);

  void watch(int32_t index, const std::string& label, int32_t pid, bool isAffiliate);
  void forget(int32_t index);

 private:
  struct Watched {
    std::string label;
    int32_t pid = 0;
    bool isAffiliate = false;
    std::string lastLine;
  };
  void poll();
  std::string describe(Watched& server);

  IMemoryAccess& memory_;
  std::function<void(const std::string&)> print_;
  std::map<int32_t, Watched> servers_;
  QTimer timer_;
};

// "game running", "end of game", ... for a GameState value.
std::string gameStateText(int32_t state);

}  // namespace rotaryn::host
