// rotaryn-memtool: look at and change a running server's fields through the same process
// backend the plug-in uses, for operators checking a live server or a dfbhd-sim.

#include <charconv>
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
#include "formats/game_names.h"
#include "formats/server_builds.h"
#include "platform/vb_error.h"
#include "sim/command_line.h"
#include "sim/model/server_layout.h"
#include "sim/model/server_model.h"

namespace {

using rotaryn::gravik::ProcessMemory;
using rotaryn::sim::ServerLayout;
namespace rotation = rotaryn::formats::rotation;

// A refused command line or value: status 2, nothing written.
[[noreturn]] void usageError(const std::string& message) {
  std::cerr << "rotaryn-memtool: " << message << " (rotaryn-memtool --help lists the options)\n";
  std::exit(rotaryn::sim::kUsageStatus);
}

// A decimal or 0x-hex integer, with an optional sign; nothing when it is not one or does not fit
// 64 bits.
std::optional<int64_t> parseInteger(std::string_view text) {
  bool negative = !text.empty() && text.front() == '-';
  if (negative || (!text.empty() && text.front() == '+')) text.remove_prefix(1);
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  uint64_t magnitude = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  if (magnitude > (negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1)) return std::nullopt;
  return negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
}

constexpr int64_t kAddressLimit = int64_t{1} << 32;

// WHERE: a key of the build or an address, optionally plus an offset; the sum must be a 32-bit
// address.
uint32_t resolve(const ServerLayout& layout, std::string_view where) {
  size_t plus = where.find('+', 1);
  std::string_view base = where.substr(0, plus);
  int64_t offset = 0;
  if (plus != std::string_view::npos) {
    auto parsed = parseInteger(where.substr(plus + 1));
    if (!parsed || *parsed <= -kAddressLimit || *parsed >= kAddressLimit) {
      usageError("bad offset in " + std::string(where));
    }
    offset = *parsed;
  }
  int64_t address = 0;
  if (auto key = layout.find(base)) {
    address = *key;
  } else if (auto number = parseInteger(base); number && *number >= 0 && *number < kAddressLimit) {
    address = *number;
  } else if (number) {
    usageError(std::string(base) + " is not a 32-bit address");
  } else {
    usageError("\"" + std::string(base) + "\" is neither a key of the " +
               std::string(rotaryn::sim::buildName(layout.build())) + " build nor an address");
  }
  int64_t sum = address + offset;
  if (sum < 0 || sum >= kAddressLimit) {
    usageError(std::string(where) + " is " + (sum < 0 ? "below 0" : "beyond 32 bits") + " (" +
               (sum < 0 ? "-" : "") +
               rotaryn::sim::hexAddress(static_cast<uint64_t>(sum < 0 ? -sum : sum)) + ")");
  }
  return static_cast<uint32_t>(sum);
}

std::string hex(int32_t value) {
  return rotaryn::sim::hexAddress(static_cast<uint32_t>(value));
}

// The game type of slot k as the plug-in finds it: the slot's own byte when it carries the "S"
// marker, else the type being played.
int32_t slotGameType(ProcessMemory& memory, int32_t& pid, const ServerLayout& layout, int32_t k) {
  int32_t name = static_cast<int32_t>(layout.at("MapNameAdd")) + k * rotation::kSlotSize;
  if (memory.ReadStr(pid, name + rotation::kMarkerFromName).find('S') != std::string::npos) {
    return memory.ReadByte(pid, name + rotation::kSlotTypeFromName);
  }
  return memory.ReadByte(pid, static_cast<int32_t>(layout.at("GameType")));
}

// What only a simulated server keeps: its rotation checks and its score. A real server has
// nothing (or something else) at that address.
void printSimInfo(ProcessMemory& memory, int32_t& pid, const ServerLayout& layout) {
  auto block = static_cast<int32_t>(layout.simInfoBlock());
  bool simulated = false;
  try {
    simulated =
        memory.ReadStr(pid, block + static_cast<int32_t>(rotaryn::sim::kSimInfoMarkerOffset)) ==
        rotaryn::sim::kSimInfoMarker;
  } catch (const rotaryn::VbError&) {
    // Not mapped: not a dfbhd-sim.
  }
  if (!simulated) {
    std::cout << "Violations  unknown (not a dfbhd-sim server)\n";
    return;
  }
  auto at = [&](uint32_t offset) {
    return memory.ReadLong(pid, block + static_cast<int32_t>(offset));
  };
  std::cout << "Violations  " << at(rotaryn::sim::kSimInfoViolationsOffset)
            << " (rotation checked at " << at(rotaryn::sim::kSimInfoChecksOffset)
            << " map starts)\n"
            << "Score       " << at(rotaryn::sim::kSimInfoScoreOffset) << "\n"
            << "Games ended " << at(rotaryn::sim::kSimInfoEndedOffset) << " (displays cut "
            << at(rotaryn::sim::kSimInfoDisplaysCutOffset) << ")\n";
}

void printStatus(ProcessMemory& memory, int32_t& pid, const ServerLayout& layout) {
  auto field = [&](const char* key) {
    return memory.ReadLong(pid, static_cast<int32_t>(layout.at(key)));
  };
  int32_t state = field("GameState");
  int32_t type = field("GameType");
  int32_t restart = field("RestartTmr");
  int32_t p = field("MapPointer");
  int32_t mod = field("ModAdd");
  std::cout << "pid         " << pid << " (" << rotaryn::sim::buildName(layout.build())
            << " build)\n"
            << "GameState   " << state << " (" << rotaryn::formats::gameStateName(state) << ")\n"
            << "GameType    " << type << " (" << rotaryn::formats::gameTypeName(type) << ")\n"
            << "CurMap      " << memory.ReadStr(pid, static_cast<int32_t>(layout.at("CurMap")))
            << "\n"
            << "RestartTmr  " << restart << " (" << std::fixed << std::setprecision(1)
            << restart / static_cast<double>(rotaryn::formats::kCountdownUnitsPerSecond) << " s)\n"
            << "Pack        " << memory.ReadStr(pid, mod + rotaryn::formats::kPackNameOffset)
            << "\n"
            << "Rotation    " << memory.ReadLong(pid, p + rotation::kCountOffset) << " maps (copy "
            << memory.ReadLong(pid, p + rotation::kSecondCountOffset) << "), position "
            << memory.ReadLong(pid, p + rotation::kCurrentOffset) << ", header at " << hex(p)
            << "\n"
            << "MaxMaps     " << field("MaxMaps") << "\n"
            << "GTUpdate    ";
  for (const char* key : {"GTUpdate1", "GTUpdate2", "GTUpdate3", "GTUpdate4", "GTUpdate5"}) {
    std::cout << field(key) << (key[8] == '5' ? "\n" : " ");
  }
  std::cout << "Scores      Score1a " << field("Score1a") << ", Score1b " << field("Score1b")
            << ", Score2a " << field("Score2a") << ", Score2b " << field("Score2b") << "\n";
  if (layout.has("MaxKills")) {
    std::cout << "Limits      MaxKills " << field("MaxKills") << ", KothLimit "
              << field("KothLimit") << "; configured CMaxKills " << field("CMaxKills")
              << ", CGameScore " << field("CGameScore") << ", CKothLimit " << field("CKothLimit")
              << "\n";
  }
  std::cout << "Mailbox     " << (field("MsgTypeAdd") ? "pending: " : "empty; last: ")
            << memory.ReadStr(pid, static_cast<int32_t>(layout.at("MsgStrAdd"))) << "\n";
  printSimInfo(memory, pid, layout);
}

void printRotation(ProcessMemory& memory, int32_t& pid, const ServerLayout& layout) {
  int32_t p = memory.ReadLong(pid, static_cast<int32_t>(layout.at("MapPointer")));
  int32_t count = memory.ReadLong(pid, p + rotation::kCountOffset);
  int32_t position = memory.ReadLong(pid, p + rotation::kCurrentOffset);
  int32_t shown = std::min(count, rotaryn::sim::kRotationCapacity);
  std::cout << count << " maps, position " << position << "\n";
  std::cout << "    #  type                     custom  file              name\n";
  for (int32_t k = 0; k < shown; ++k) {
    int32_t entry = p + rotation::kFirstEntryOffset + rotation::kEntrySize * k;
    int32_t type = slotGameType(memory, pid, layout, k);
    std::ostringstream typeText;
    typeText << type << " " << rotaryn::formats::gameTypeName(type);
    std::cout << (k == position ? "  > " : "    ") << std::left << std::setw(3) << k
              << std::setw(25) << typeText.str() << std::setw(8)
              << memory.ReadLong(pid, entry + rotation::kEntryCustomOffset) << std::setw(18)
              << memory.ReadStr(pid, entry)
              << memory.ReadStr(
                     pid, static_cast<int32_t>(layout.at("MapNameAdd")) + rotation::kSlotSize * k)
              << "\n";
  }
}

void printKeys(const ServerLayout& layout) {
  for (const rotaryn::sim::FieldAddress& entry : layout.fields()) {
    std::cout << std::left << std::setw(14) << entry.key << rotaryn::sim::hexAddress(entry.address)
              << "\n";
  }
}

void peek(ProcessMemory& memory, int32_t& pid, uint32_t where, const std::string& kind) {
  auto address = static_cast<int32_t>(where);
  if (kind == "long") {
    int32_t read = memory.ReadLong(pid, address);
    std::cout << read << " (" << hex(read) << ")\n";
  } else if (kind == "byte") {
    std::cout << static_cast<int>(memory.ReadByte(pid, address)) << "\n";
  } else {
    std::cout << memory.ReadStr(pid, address) << "\n";
  }
}

// A text goes in only with its NUL before the next field.
void pokeText(ProcessMemory& memory, int32_t& pid, const ServerLayout& layout, uint32_t address,
              const std::string& value) {
  std::optional<uint32_t> room = layout.roomAt(address);
  if (room && value.size() + 1 > *room) {
    usageError("the text has " + std::to_string(value.size()) + " characters; at " +
               rotaryn::sim::hexAddress(address) + " there is room for " +
               std::to_string(*room - 1) + " and its NUL before the next field");
  }
  memory.WriteStr(pid, static_cast<int32_t>(address), value);
  std::cout << "wrote \"" << value << "\" at " << rotaryn::sim::hexAddress(address) << "\n";
}

// A long takes a signed or an unsigned 32-bit value; a byte 0 to 255.
void pokeNumber(ProcessMemory& memory, int32_t& pid, uint32_t address, const std::string& value,
                const std::string& kind) {
  auto number = parseInteger(value);
  if (!number) usageError("poke needs a number, not \"" + value + "\"");
  bool byte = kind == "byte";
  int64_t lowest = byte ? 0 : INT32_MIN;
  int64_t highest = byte ? UINT8_MAX : UINT32_MAX;
  if (*number < lowest || *number > highest) {
    usageError(value + " does not fit a " + kind + " (" + std::to_string(lowest) + " to " +
               std::to_string(highest) + ")");
  }
  auto written = static_cast<int32_t>(static_cast<uint32_t>(*number));
  memory.WriteLong(pid, static_cast<int32_t>(address), written, byte ? 1 : 4);
  std::cout << "wrote " << (byte ? static_cast<int64_t>(*number) : written) << " (" << hex(written)
            << ") at " << rotaryn::sim::hexAddress(address) << "\n";
}

// What the command line asks for.
struct Request {
  int32_t pid = 0;
  std::string build = "standard";
  std::string where;
  std::string value;
  std::string kind = "long";
  std::string consoleCommand;
};

struct Subcommands {
  CLI::App* status;
  CLI::App* rotation;
  CLI::App* keys;
  CLI::App* peek;
  CLI::App* poke;
  CLI::App* send;
};

Subcommands addOptions(CLI::App& app, Request& request) {
  // An option given twice takes its last value, as a script's defaults followed by its own.
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.add_option("--pid", request.pid, "the server's process id")
      ->required()
      ->check(rotaryn::sim::wholeRange(1, INT32_MAX));
  app.add_option("--build", request.build, "the server's build, whose addresses to use")
      ->check(CLI::IsMember({"standard", "affiliate"}, CLI::ignore_case))
      ->capture_default_str();
  app.require_subcommand(1);
  app.fallthrough();
  Subcommands commands{};
  commands.status =
      app.add_subcommand("status", "game state, map, countdown, limits, rotation size");
  commands.rotation = app.add_subcommand("rotation", "the rotation as the plug-in reads it");
  commands.keys = app.add_subcommand("keys", "the address table of the build");
  const auto kinds = CLI::IsMember({"long", "byte", "text"});
  CLI::App* peek = commands.peek = app.add_subcommand("peek", "read a field");
  peek->add_option("WHERE", request.where, "key or address")->required();
  peek->add_option("KIND", request.kind, "long, byte or text")->check(kinds)->capture_default_str();
  CLI::App* poke = commands.poke = app.add_subcommand(
      "poke",
      "write a field; the value must fit it (a byte 0 to 255, a long 32 bits, a text with "
      "its NUL before the next field)");
  poke->add_option("WHERE", request.where, "key or address")->required();
  poke->add_option("VALUE", request.value, "number (decimal or 0x hex) or text")->required();
  poke->add_option("KIND", request.kind, "long, byte or text")->check(kinds)->capture_default_str();
  commands.send = app.add_subcommand("send", "put a console command in the server's mailbox");
  commands.send->add_option("COMMAND", request.consoleCommand, "the command, e.g. resetgames")
      ->required()
      ->check(rotaryn::sim::atMost(rotaryn::sim::kCommandCapacity, "the command"));
  return commands;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app(
      "Look at and change a running server's fields through the process backend the "
      "plug-in uses.\nWHERE is an address-table key (GameState, RestartTmr, ...), a hex "
      "address (0x9E4748), or either plus a decimal or hex offset (BaseAdd+527, "
      "0x1310000+8).",
      "rotaryn-memtool");
  Request request;
  const Subcommands commands = addOptions(app, request);
  if (auto exitStatus = rotaryn::sim::parseCommandLine(app, argc, argv)) return *exitStatus;

  ServerLayout layout(*rotaryn::sim::parseBuild(request.build));
  ProcessMemory memory;
  int32_t process = request.pid;
  try {
    if (commands.status->parsed()) {
      printStatus(memory, process, layout);
    } else if (commands.rotation->parsed()) {
      printRotation(memory, process, layout);
    } else if (commands.keys->parsed()) {
      printKeys(layout);
    } else if (commands.peek->parsed()) {
      peek(memory, process, resolve(layout, request.where), request.kind);
    } else if (commands.poke->parsed()) {
      uint32_t address = resolve(layout, request.where);
      if (request.kind == "text") {
        pokeText(memory, process, layout, address, request.value);
      } else {
        pokeNumber(memory, process, address, request.value, request.kind);
      }
    } else if (commands.send->parsed()) {
      int32_t profile = 0;
      bool affiliate = layout.isAffiliate();
      memory.AddMsg(profile, process, request.consoleCommand, affiliate, "CMD", 1);
      std::cout << "sent \"" << request.consoleCommand << "\"\n";
    }
  } catch (const rotaryn::VbError& error) {
    std::cerr << "rotaryn-memtool: error " << error.number() << ": " << error.description() << "\n";
    return 1;
  }
  return 0;
}
