// rotaryn-memtool: look at and change a running server's fields through the same process
// backend the plug-in uses, for operators checking a live server or a dfbhd-sim.

#include <cstdio>
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "components/gravik/process_memory.h"
#include "platform/vb_error.h"
#include "sim/model/server_layout.h"
#include "sim/model/server_model.h"

namespace {

using rotaryn::gravik::ProcessMemory;
using rotaryn::sim::ServerLayout;

constexpr const char* kUsage =
    "usage: rotaryn-memtool --pid PID [--build standard|affiliate] COMMAND\n"
    "commands:\n"
    "  status                    game state, map, countdown, limits, rotation size\n"
    "  rotation                  the rotation as the plug-in reads it\n"
    "  keys                      the address table of the build\n"
    "  peek WHERE [long|byte|text]         read a field (default long)\n"
    "  poke WHERE VALUE [long|byte|text]   write a field (default long)\n"
    "  send COMMAND              put a console command in the server's mailbox\n"
    "WHERE is an address-table key (GameState, RestartTmr, ...), a hex address (0x9E4748), or\n"
    "either plus a decimal or hex offset (BaseAdd+527, 0x1310000+8).\n";

[[noreturn]] void usageError(const std::string& message) {
  std::cerr << "rotaryn-memtool: " << message << " (rotaryn-memtool --help lists the options)\n";
  std::exit(2);
}

std::optional<long long> parseNumber(std::string_view text) {
  if (text.empty()) return std::nullopt;
  std::string copy(text);
  char* end = nullptr;
  long long value = std::strtoll(copy.c_str(), &end, 0);
  if (end == copy.c_str() || *end != '\0') return std::nullopt;
  return value;
}

int32_t resolve(const ServerLayout& layout, std::string_view where) {
  size_t plus = where.find('+', 1);
  std::string_view base = where.substr(0, plus);
  long long offset = 0;
  if (plus != std::string_view::npos) {
    auto parsed = parseNumber(where.substr(plus + 1));
    if (!parsed) usageError("bad offset in " + std::string(where));
    offset = *parsed;
  }
  long long address = 0;
  if (auto key = layout.find(base)) {
    address = *key;
  } else if (auto number = parseNumber(base)) {
    address = *number;
  } else {
    usageError("\"" + std::string(base) + "\" is neither a key of the " +
               std::string(rotaryn::sim::buildName(layout.build())) + " build nor an address");
  }
  return static_cast<int32_t>(address + offset);
}

std::string hex(int32_t value) { return rotaryn::sim::hexAddress(static_cast<uint32_t>(value)); }

std::string stateName(int32_t state) {
  switch (state) {
    case 1: return "between games";
    case 2:
    case 3: return "game running";
    case 4: return "end of game";
    default: return "not in a game";
  }
}

// The game type of slot k as the plug-in finds it: the slot's own byte when it carries the "S"
// marker, else the type being played.
int32_t slotGameType(ProcessMemory& memory, int32_t& pid, const ServerLayout& layout, int32_t k) {
  int32_t name = static_cast<int32_t>(layout.at("MapNameAdd")) + k * 1840;
  if (memory.ReadStr(pid, name + 781).find('S') != std::string::npos) {
    return memory.ReadByte(pid, name + 782);
  }
  return memory.ReadByte(pid, static_cast<int32_t>(layout.at("GameType")));
}

void printStatus(ProcessMemory& memory, int32_t& pid, const ServerLayout& layout) {
  auto field = [&](const char* key) { return memory.ReadLong(pid, static_cast<int32_t>(layout.at(key))); };
  int32_t state = field("GameState");
  int32_t type = field("GameType");
  int32_t restart = field("RestartTmr");
  int32_t p = field("MapPointer");
  int32_t mod = field("ModAdd");
  std::cout << "pid         " << pid << " (" << rotaryn::sim::buildName(layout.build()) << " build)\n"
            << "GameState   " << state << " (" << stateName(state) << ")\n"
            << "GameType    " << type << " (" << rotaryn::sim::gameTypeName(type) << ")\n"
            << "CurMap      " << memory.ReadStr(pid, static_cast<int32_t>(layout.at("CurMap"))) << "\n"
            << "RestartTmr  " << restart << " (" << std::fixed << std::setprecision(1)
            << restart / 62.0 << " s)\n"
            << "Pack        " << memory.ReadStr(pid, mod + 36) << "\n"
            << "Rotation    " << memory.ReadLong(pid, p + 8) << " maps (copy "
            << memory.ReadLong(pid, p + 4) << "), position " << memory.ReadLong(pid, p + 12)
            << ", header at " << hex(p) << "\n"
            << "MaxMaps     " << field("MaxMaps") << "\n"
            << "GTUpdate    ";
  for (const char* key : {"GTUpdate1", "GTUpdate2", "GTUpdate3", "GTUpdate4", "GTUpdate5"}) {
    std::cout << field(key) << (key[8] == '5' ? "\n" : " ");
  }
  std::cout << "Scores      Score1a " << field("Score1a") << ", Score1b " << field("Score1b")
            << ", Score2a " << field("Score2a") << ", Score2b " << field("Score2b") << "\n";
  if (layout.has("MaxKills")) {
    std::cout << "Limits      MaxKills " << field("MaxKills") << ", KothLimit " << field("KothLimit")
              << "; configured CMaxKills " << field("CMaxKills") << ", CGameScore "
              << field("CGameScore") << ", CKothLimit " << field("CKothLimit") << "\n";
  }
  std::cout << "Mailbox     " << (field("MsgTypeAdd") ? "pending: " : "empty; last: ")
            << memory.ReadStr(pid, static_cast<int32_t>(layout.at("MsgStrAdd"))) << "\n";
}

void printRotation(ProcessMemory& memory, int32_t& pid, const ServerLayout& layout) {
  int32_t p = memory.ReadLong(pid, static_cast<int32_t>(layout.at("MapPointer")));
  int32_t count = memory.ReadLong(pid, p + 8);
  int32_t position = memory.ReadLong(pid, p + 12);
  int32_t shown = std::min(count, rotaryn::sim::kRotationCapacity);
  std::cout << count << " maps, position " << position << "\n";
  std::cout << "    #  type                     custom  file              name\n";
  for (int32_t k = 0; k < shown; ++k) {
    int32_t entry = p + 16 + 36 * k;
    int32_t type = slotGameType(memory, pid, layout, k);
    std::ostringstream typeText;
    typeText << type << " " << rotaryn::sim::gameTypeName(type);
    std::cout << (k == position ? "  > " : "    ") << std::left << std::setw(3) << k << std::setw(25)
              << typeText.str() << std::setw(8) << memory.ReadLong(pid, entry + 32) << std::setw(18)
              << memory.ReadStr(pid, entry) << memory.ReadStr(pid, static_cast<int32_t>(layout.at("MapNameAdd")) + 1840 * k)
              << "\n";
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<int32_t> pid;
  rotaryn::sim::ServerBuild build = rotaryn::sim::ServerBuild::kStandard;
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) {
    std::string_view option = argv[i];
    if (option == "--help" || option == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (option == "--pid" || option == "--build") {
      if (i + 1 >= argc) usageError(std::string(option) + " needs a value");
      std::string value = argv[++i];
      if (option == "--pid") {
        auto number = parseNumber(value);
        if (!number || *number <= 0) usageError("--pid needs a process id");
        pid = static_cast<int32_t>(*number);
      } else {
        auto parsed = rotaryn::sim::parseBuild(value);
        if (!parsed) usageError("--build is standard or affiliate");
        build = *parsed;
      }
      continue;
    }
    words.emplace_back(option);
  }
  if (!pid) usageError("--pid is required");
  if (words.empty()) usageError("no command");

  ServerLayout layout(build);
  ProcessMemory memory;
  int32_t process = *pid;
  const std::string& command = words[0];
  auto kindAt = [&](size_t index) {
    std::string kind = words.size() > index ? words[index] : "long";
    if (kind != "long" && kind != "byte" && kind != "text") usageError("kind is long, byte or text");
    return kind;
  };
  try {
    if (command == "status" && words.size() == 1) {
      printStatus(memory, process, layout);
    } else if (command == "rotation" && words.size() == 1) {
      printRotation(memory, process, layout);
    } else if (command == "keys" && words.size() == 1) {
      for (const rotaryn::AddressEntry& entry : layout.fields()) {
        std::cout << std::left << std::setw(14) << entry.key << hex(entry.address) << "\n";
      }
    } else if (command == "peek" && (words.size() == 2 || words.size() == 3)) {
      int32_t address = resolve(layout, words[1]);
      std::string kind = kindAt(2);
      if (kind == "long") {
        int32_t value = memory.ReadLong(process, address);
        std::cout << value << " (" << hex(value) << ")\n";
      } else if (kind == "byte") {
        std::cout << static_cast<int>(memory.ReadByte(process, address)) << "\n";
      } else {
        std::cout << memory.ReadStr(process, address) << "\n";
      }
    } else if (command == "poke" && (words.size() == 3 || words.size() == 4)) {
      int32_t address = resolve(layout, words[1]);
      std::string kind = kindAt(3);
      if (kind == "text") {
        memory.WriteStr(process, address, words[2]);
      } else {
        auto value = parseNumber(words[2]);
        if (!value) usageError("poke needs a number, not \"" + words[2] + "\"");
        memory.WriteLong(process, address, static_cast<int32_t>(*value), kind == "byte" ? 1 : 4);
      }
      std::cout << "wrote " << words[2] << " at " << hex(address) << "\n";
    } else if (command == "send" && words.size() == 2) {
      int32_t profile = 0;
      bool affiliate = layout.isAffiliate();
      memory.AddMsg(profile, process, words[1], affiliate, "CMD", 1);
      std::cout << "sent \"" << words[1] << "\"\n";
    } else {
      usageError("bad command: " + command);
    }
  } catch (const rotaryn::VbError& error) {
    std::cerr << "rotaryn-memtool: error " << error.number() << ": " << error.description() << "\n";
    return 1;
  }
  return 0;
}
