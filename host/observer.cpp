#include "host/observer.h"

#include <ctime>

#include "host/host_text.h"

namespace rotaryn::host {
namespace {

std::tm tmOf(const formats::CivilTime& t) {
  std::tm out{};
  out.tm_year = t.year - 1900;
  out.tm_mon = t.month - 1;
  out.tm_mday = t.day;
  out.tm_hour = t.hour;
  out.tm_min = t.minute;
  out.tm_sec = t.second;
  return out;
}

// The clock's local time, and UTC by the system's offset from it now.
history::Moment momentOf(const HostClock& clock) {
  const history::Moment system = history::systemMoment();
  std::tm local = tmOf(system.local);
  std::tm utc = tmOf(system.utc);
  const int64_t offset = static_cast<int64_t>(timegm(&local) - timegm(&utc));
  const formats::CivilTime now = clock.now();
  return history::Moment{now, formats::addSeconds(now, -offset)};
}

}  // namespace

HostObserver::HostObserver(const std::string& rootPosix, int32_t historyDays,
                           const HostClock& clock, Note note)
    : historyFolder_(history::historyFolderIn(rootPosix)),
      history_(historyFolder_, historyDays, [&clock] { return momentOf(clock); }),
      note_(std::move(note)) {
  if (std::string problem = history_.prune(); !problem.empty() && note_)
    note_("history: " + problem);
}

void HostObserver::profileLoaded(const ProfileConfig& profile, const QJsonObject& state) {
  const std::string folder = utf8FromWindows1252(profile.profileFolder);
  std::string build = "unknown";
  if (state.contains("affiliate")) {
    build = state.value("affiliate").toBool() ? "affiliate" : "standard";
  }
  metrics_.setProfile(profile.index, folder, build);
  std::optional<int32_t> length;
  if (state.contains("rotationLength")) length = state.value("rotationLength").toInt();
  metrics_.setServerState(
      profile.index,
      state.contains("state") ? std::optional<int32_t>(state.value("state").toInt()) : std::nullopt,
      length);
  history_.setProfileFolder(profile.index, folder);
}

void HostObserver::onEvent(int32_t profile, const char* name, const char* detail) {
  ++events_[profile];
  nlohmann::json parsed = nlohmann::json::parse(detail, nullptr, false);
  if (!parsed.is_object()) parsed = nlohmann::json::object();
  metrics_.onEvent(profile, name, parsed);
  if (std::string problem = history_.onEvent(profile, name, parsed); !problem.empty() && note_) {
    note_("history: " + problem);
  }
}

void HostObserver::pruneIfNewDay() {
  if (std::string problem = history_.pruneIfNewDay(); !problem.empty() && note_) {
    note_("history: " + problem);
  }
}

}  // namespace rotaryn::host
