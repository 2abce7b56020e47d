#include "host/observer.h"

#include <ctime>

#include "host/history/wall_clock.h"
#include "host/host_text.h"

namespace rotaryn::host {
namespace {

// The clock's local time, and UTC by the system's offset from local time now.
history::Moment momentOf(const HostClock& clock) {
  const int64_t offset = wallClockNow().local.tm_gmtoff;
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
