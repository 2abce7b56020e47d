#include "host/server_watch.h"

#include <algorithm>
#include <span>

#include "catalogue/stock_catalogue.h"
#include "memory/address_table.h"

namespace rotaryn::host {
namespace {

// Where the resource pack's name lies in the block ModAdd points to.
constexpr int32_t kPackNameOffset = 36;

int32_t addressIn(bool isAffiliate, std::string_view key) {
  std::span<const AddressEntry> table = isAffiliate ? affiliateAddresses() : standardAddresses();
  auto found = std::find_if(table.begin(), table.end(),
                            [key](const AddressEntry& entry) { return entry.key == key; });
  return found == table.end() ? 0 : found->address;
}

}  // namespace

std::string gameStateText(int32_t state) {
  switch (state) {
    case 1:
      return "between games";
    case 2:
    case 3:
      return "game running";
    case 4:
      return "end of game";
    default:
      return "state " + std::to_string(state);
  }
}

ServerWatch::ServerWatch(IMemoryAccess& memory, int intervalMs,
                         std::function<void(const std::string&)> print)
    : memory_(memory), print_(std::move(print)) {
  timer_.setTimerType(Qt::CoarseTimer);
  QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { poll(); });
  timer_.start(intervalMs);
}

void ServerWatch::watch(int32_t index, const std::string& label, int32_t pid, bool isAffiliate) {
  Watched& server = servers_[index];
  server = Watched{label, pid, isAffiliate, {}};
  try {
    int32_t block = memory_.ReadLong(server.pid, addressIn(isAffiliate, "ModAdd"));
    print_(label + ": " + (isAffiliate ? "affiliate" : "standard") + " build, resource pack " +
           memory_.ReadStr(server.pid, block + kPackNameOffset));
  } catch (const std::exception& error) {
    print_(label + ": cannot read the server: " + error.what());
  }
  poll();
}

void ServerWatch::forget(int32_t index) {
  servers_.erase(index);
}

std::string ServerWatch::describe(Watched& server) {
  int32_t state = memory_.ReadLong(server.pid, addressIn(server.isAffiliate, "GameState"));
  std::string map = memory_.ReadStr(server.pid, addressIn(server.isAffiliate, "CurMap"));
  int32_t type = memory_.ReadLong(server.pid, addressIn(server.isAffiliate, "GameType"));
  std::string typeName = type >= 0 && type < static_cast<int32_t>(GameTypeNames.size())
                             ? std::string(GameTypeNames[static_cast<size_t>(type)])
                             : "game type " + std::to_string(type);
  return "playing \"" + map + "\" (" + typeName + "), " + gameStateText(state);
}

void ServerWatch::poll() {
  for (auto& [index, server] : servers_) {
    std::string line;
    try {
      line = describe(server);
    } catch (const std::exception& error) {
      line = std::string("cannot read the server: ") + error.what();
    }
    if (line == server.lastLine) continue;
    server.lastLine = line;
    print_(server.label + ": " + line);
  }
}

}  // namespace rotaryn::host
