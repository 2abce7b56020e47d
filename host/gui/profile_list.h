#pragma once

#include <QTableWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "host/config/host_config.h"

namespace rotaryn::host {

// The host's profiles, a row each: index, profile folder, server type, the server's process
// state, and for a loaded profile its game state, the map playing and the next map.
class GuiProfileList final : public QTableWidget {
 public:
  explicit GuiProfileList(QWidget* parent);

  void setProfiles(const std::vector<ProfileConfig>& profiles);
  void setServerState(int32_t index, const QString& state);
  void setGame(int32_t index, const QString& state, const QString& playing, const QString& next);
  std::optional<int32_t> selectedProfile() const;
  // Every column with its text, a long map name in the two name columns.
  QSize sizeHint() const override;
  void selectProfile(int32_t index);

  // Another profile was chosen.
  std::function<void(int32_t index)> onSelected;
  // A profile was double-clicked or Enter was pressed on it.
  std::function<void(int32_t index)> onOpened;

 private:
  std::optional<int> rowOf(int32_t index) const;
};

}  // namespace rotaryn::host
