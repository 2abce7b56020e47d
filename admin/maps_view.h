#pragma once

#include <QJsonObject>
#include <QString>
#include <string>
#include <string_view>
#include <vector>

#include "formats/exchange_codec.h"

// What rotaryn-admin shows of a server's maps, and the map-list files it reads.
namespace rotaryn::admin {

// The exchange texts are Windows-1252; the console is UTF-8.
QString fromWindows1252(std::string_view bytes);
// Throws std::invalid_argument naming a character Windows-1252 lacks.
std::string toWindows1252(const QString& text);

// "Team Deathmatch" for 1; the number for one beyond the game's types.
QString gameTypeName(int32_t type);

// The GetMapsRem answer as tables: settings, stock and custom maps by game type, the running
// rotation (display name, mission file, game type) and the tasks.
QString mapsText(const formats::exchange::MapsAnswer& answer);
QJsonObject mapsJson(const formats::exchange::MapsAnswer& answer);

// A map-list file (lines "type[-]flag[-]mission file", CR LF or LF) as a rotation, each map's
// display name looked up in the server's catalogue. Lines that cannot be read or name a map the
// catalogue lacks are listed in `problems`, one text each.
std::vector<formats::exchange::MapLine> readMapList(
    std::string_view text, const std::vector<formats::exchange::MapLine>& catalogue,
    std::vector<std::string>& problems);

// Whether the server holds a rotation that was sent, as a GetMapsRem read after the change
// shows it (mission files without regard to case, game types, in order, and the three limits),
// and the sentence that says what it holds: the new rotation, its old one, or another one with
// the maps it dropped.
struct RotationCheck {
  bool held = false;
  QString text;
};
RotationCheck checkRotation(const formats::exchange::NewRotation& sent,
                            const formats::exchange::MapsAnswer& before,
                            const formats::exchange::MapsAnswer& after);

}  // namespace rotaryn::admin
