#pragma once

// The texts a remote administrator's tool exchanges with the plug-in about one server's
// rotation: the answer of GetMapsRem (everything the tool shows) and the data of SetMapsRem (a
// new rotation with its limits). Both sides build and read them here; the library needs only
// zlib and the shared base 64, not the plug-in.
//
// GetMapsRem answer:  <length of body> "[-]Tarnwick[-]" <base64(zlib(body))>   or "Failed"
//   body     = settings "[-]|[-]Tarnwick[-]|[-]" maps "[-]|[-]Tarnwick[-]|[-]" base64(tasks)
//   settings = autoload _ displayTime _ base64(mapPlaying) _ koth _ kills _ gameScore _ mapLimit
//   maps     = map lines joined by CR LF: the catalogue, the line "[CurMaps]", the rotation;
//              a map line is base64(displayName) | missionFile | gameType | customFlag
//   tasks    = entries joined by "|": section _ line _ line ...   (empty: no tasks)
// SetMapsRem data:    <length of text> "|" base64(base64(zlib(text)))
//   text     = anything _ koth _ kills _ gameScore _ entry _ entry ...
//   entry    = base64(displayName, blanks as "%20") | base64(missionFile) | gameType | customFlag
//
// Lengths count characters (bytes) of the uncompressed text. Texts are single-byte
// (Windows-1252), as the plug-in keeps them.

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace rotaryn::formats::exchange {

inline constexpr std::string_view kSectionSeparator = "[-]|[-]Tarnwick[-]|[-]";
inline constexpr std::string_view kLengthMarker = "[-]Tarnwick[-]";
inline constexpr std::string_view kCurrentMapsMarker = "[CurMaps]";
inline constexpr std::string_view kFailedAnswer = "Failed";
inline constexpr char kFieldSeparator = '_';
inline constexpr char kEntrySeparator = '|';

// Every failure to read a text. what() names the part and the fault, for example
// "map line 3: the game type \"x\" is not a number".
class ExchangeError : public std::runtime_error {
 public:
  enum class Kind {
    ServerNotRunning,  // the answer is "Failed": the server's game state was below 1
    LengthMismatch,    // the carried length differs from the text's, or is not a length
    MissingSection,    // a separator, section or field is missing
    BadBase64,         // a part that must be base 64 is not
    BadCompression,    // the compressed stream is cut short or corrupt
    NotANumber,        // a field that must be a decimal number is not
  };
  ExchangeError(Kind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

struct MapLine {
  std::string displayName;  // plain text (encoded only inside the exchange)
  std::string missionFile;  // "DMR_01A.BMS", a custom "canyon.bms"
  int32_t gameType = 0;     // 0 Deathmatch ... 8 Flagball
  bool custom = false;      // the flag field: "1" custom, "0" stock
  bool operator==(const MapLine&) const = default;
};

struct Task {
  std::string section;             // "25/12/2026 20:00:00"
  std::vector<std::string> lines;  // "File=mylist.mpl", "Frequency=Every Day"
  bool operator==(const Task&) const = default;
};

struct ServerSettings {
  std::string autoload;     // "1", "0", or empty when the host has no Maps.ini
  std::string displayTime;  // "1".."9", or empty likewise
  std::string mapPlaying;   // the server's name of the map now playing; empty for none
  int32_t kothLimit = 0;
  int32_t killLimit = 0;
  int32_t gameScoreLimit = 0;
  int32_t mapLimit = 0;
  bool operator==(const ServerSettings&) const = default;
};

// The whole GetMapsRem answer, decoded.
struct MapsAnswer {
  ServerSettings settings;
  std::vector<MapLine> catalogue;  // stock maps in catalogue order, then custom maps
  std::vector<MapLine> rotation;   // the rotation running on the server, in order
  std::vector<Task> tasks;
  std::string tasksProblem;  // why the tasks could not be read; empty when they could
  bool operator==(const MapsAnswer&) const = default;
};

// What SetMapsRem applies: the three configured limits and the new rotation.
struct NewRotation {
  int32_t kothLimit = 0;
  int32_t killLimit = 0;
  int32_t gameScoreLimit = 0;
  std::vector<MapLine> rotation;  // display names travel but the plug-in does not store them
  bool operator==(const NewRotation&) const = default;
};

// ---- compression: the utility component's pair (zlib, then base 64) ----
std::string compressText(std::string_view text);
// Raises BadBase64, BadCompression, or LengthMismatch when the result is not `length` long.
std::string decompressText(std::string_view compressed, int64_t length);

// ---- the GetMapsRem answer ----
// A text transform the builders call: base 64 (the plug-in passes its memory component's Enc64)
// or compression (its utility component's CompressString). Empty: this library's own.
using Encode = std::function<std::string(const std::string&)>;

// The pieces the plug-in joins, so that both sides write them alike.
std::string settingsSection(const ServerSettings& settings, const Encode& base64 = {});
std::string mapLineText(const MapLine& line, const Encode& base64 = {});
// The lines of the maps section: the catalogue, the line "[CurMaps]", the rotation; joined by
// CR LF in the body.
std::vector<std::string> mapLines(const MapsAnswer& answer, const Encode& base64 = {});
// "section_line_line|section_line": the tasks text before its base 64.
std::string tasksText(const std::vector<Task>& tasks);
// The three sections joined: settings, maps (the lines joined), tasks already in base 64.
std::string joinMapsBody(std::string_view settings, std::string_view maps,
                         std::string_view tasksBase64);
// The three sections built (tasks in base 64; nothing when there are none).
std::string buildMapsBody(const MapsAnswer& answer);
// Length, marker, compressed body.
std::string lengthPrefixed(const std::string& body, const Encode& compress = {});
std::string buildMapsAnswer(const MapsAnswer& answer);

MapsAnswer parseMapsBody(std::string_view body);
MapsAnswer parseMapsAnswer(std::string_view answer);
// The body as it travels, decompressed and checked against its length, not yet parsed.
std::string unwrapMapsAnswer(std::string_view answer);
std::vector<Task> parseTasksText(std::string_view text);

// ---- the SetMapsRem data ----
std::string setMapsText(const NewRotation& rotation);
std::string buildSetMapsData(const NewRotation& rotation);
// The data's two parts, split at its one "|": the length as sent and the base 64 of the
// compressed text; nullopt when the data holds no "|" or more than one.
struct SetMapsParts {
  std::string_view length;
  std::string_view compressedBase64;
};
std::optional<SetMapsParts> splitSetMapsData(std::string_view data);
// The text's fields split at "_": fields 1-3 the king-of-the-hill, kill and game-score limits,
// from kFirstSetMapsEntry on one map entry each.
inline constexpr size_t kFirstSetMapsEntry = 4;
std::vector<std::string_view> setMapsFields(std::string_view text);
// An entry's parts split at "|": base64(display name, blanks as "%20"), base64(mission file),
// game type, custom flag.
std::vector<std::string_view> setMapsEntryParts(std::string_view entry);
// The text inside the data, checked against its length.
std::string unwrapSetMapsData(std::string_view data);
NewRotation parseSetMapsText(std::string_view text);
NewRotation parseSetMapsData(std::string_view data);

// A decimal 32-bit number with an optional sign, nothing else; `what` names the field in the
// NotANumber error.
int32_t parseNumber(std::string_view text, const std::string& what);

}  // namespace rotaryn::formats::exchange
