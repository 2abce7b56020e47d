#include "remote/set_maps_rem.h"

#include "control/map_monitor.h"
#include "formats/exchange_codec.h"
#include "memory/server_fields.h"
#include "platform/vb_error.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "plugin/profiles.h"
#include "store/admin_log.h"
#include "store/autoload.h"
#include "store/last_settings.h"

namespace rotaryn {
namespace {

int32_t number(const std::string& text, const std::string& what) {
  if (!vb::IsNumeric(text)) {
    raiseVbError(vberr::kTypeMismatch, what + " \"" + text.substr(0, 32) + "\" is not a number");
  }
  return vb::CLng(Variant(text));
}

}  // namespace

SetMapsRequest readSetMapsData(
    const std::string& data, const std::function<std::string(const std::string&)>& decode64,
    const std::function<std::string(const std::string&, int32_t)>& decompress) {
  const std::optional<formats::exchange::SetMapsParts> parts =
      formats::exchange::splitSetMapsData(data);
  if (!parts) {
    raiseVbError(vberr::kInvalidCall, "the map list must be a length, \"|\" and the text");
  }
  const int32_t length = number(std::string(parts->length), "the map list's length");
  const std::string text = decompress(decode64(std::string(parts->compressedBase64)), length);

  const std::vector<std::string_view> fields = formats::exchange::setMapsFields(text);
  if (fields.size() < formats::exchange::kFirstSetMapsEntry) {
    raiseVbError(vberr::kInvalidCall, "the map list has " + std::to_string(fields.size()) +
                                          " fields; the three limits need 4");
  }
  SetMapsRequest request;
  request.kothText = fields[1];
  request.killText = fields[2];
  request.gameScoreText = fields[3];
  request.koth = number(request.kothText, "the king-of-the-hill limit");
  request.kill = number(request.killText, "the kill limit");
  request.gameScore = number(request.gameScoreText, "the game-score limit");
  for (size_t i = formats::exchange::kFirstSetMapsEntry; i < fields.size(); ++i) {
    const std::string what =
        "map entry " + std::to_string(i - formats::exchange::kFirstSetMapsEntry);
    const std::vector<std::string_view> part = formats::exchange::setMapsEntryParts(fields[i]);
    if (part.size() < 4) {
      raiseVbError(vberr::kInvalidCall,
                   what + " has " + std::to_string(part.size()) + " parts, not 4");
    }
    const std::vector<std::string> entry(part.begin(), part.end());
    number(entry[2], what + "'s game type");
    request.entries.push_back({entry[2], entry[3], decode64(entry[1])});
  }
  return request;
}

int32_t SetMapsRem(Module& module, int32_t Index, const Variant& PDAT, const Variant& Data) {
  ErrorTrap trap = module.trap("SetMapsRem", Index);
  bool applied = false;
  const bool finished = trap.run([&] {
    trap.at(1);
    RegisterProfile(module, Index, PDAT);
    trap.at(2);
    const SetMapsRequest request = readSetMapsData(
        vb::CStr(Data), [&](const std::string& text) { return module.memory().dec64(text); },
        [&](const std::string& compressed, int32_t length) {
          return module.utility().DecompressString(compressed, length);
        });
    trap.at(3);
    if (!module.profile(Index).IsAffiliate) {
      writeLong(module, Index, "CKothLimit", request.koth);
      writeLong(module, Index, "CMaxKills", request.kill);
      writeLong(module, Index, "CGameScore", request.gameScore);
    }
    trap.at(4);
    if (gameIsRunning(readLong(module, Index, "GameState"))) {
      trap.at(5);
      LastSettings settings(module, Index, LastSettings::Failures::kRaised);
      settings.createFolderIfMissing();
      settings.gather();
      settings.writeLimits(request.kothText, request.killText, request.gameScoreText);
      settings.writeMapCount(request.lastMapIndex());
      for (size_t k = 0; k < request.entries.size(); ++k) {
        const SetMapsRequest::Entry& entry = request.entries[k];
        settings.writeMap(
            static_cast<int32_t>(k),
            formats::rotationEntryText(entry.gameType, entry.custom, entry.missionFile));
      }
      settings.flush();
      trap.at(7);
      AutoLoadMap(module, Index, true);
      applied = true;
    }
    trap.at(8);
    AdminLog(module, PDAT, adminlog::kChangeMapList);
  });
  return finished && applied ? 1 : 0;
}

}  // namespace rotaryn
