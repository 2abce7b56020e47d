#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/plugin_fixture.h"
#include "ui/frm_rotaryn_maps.h"

namespace rotaryn {

// The window of one profile on a simulated server, driven as a user drives it.
class WindowFixture : public PluginFixture {
 public:
  static constexpr int32_t kProfile = 1;

  // Registers the profile, creates the window (Form_Load) and refills it (Form_Reload).
  frmRotarynMaps& load(sim::ServerOptions options = {});
  frmRotarynMaps& window() { return *module.window; }
  sim::ServerModel& server() { return memory->server(1000 + kProfile); }

  // A rotation of `count` maps: custom ones at odd positions, game types cycling.
  static std::vector<sim::RotationEntry> rotationOf(int count);
  // A map file "<file>" in the profile's game folder supporting the types of byte B.
  void addCustomMap(const std::string& file, const std::string& name, uint8_t typeBitsB);
  void writeMapsIni(const std::string& text);
  std::string mapsIni() const;
  // From here on the server keeps at most `capacity` for "MaxMaps", whatever is written.
  void capMaxMaps(int32_t capacity);

  void select(FlexGrid& grid, int first, int last);
  void release(Button& button, MouseButton mouse = MouseButton::Left);

  // Boxes shown with this title and text.
  int boxes(const std::string& title, const std::string& text) const;
  // Rows as "text|type|custom flag", from the grid (flag from the background) and from
  // CurrentList (which must be keyed "0".."N-1"), so the two can be compared.
  std::vector<std::string> gridRows(const FlexGrid& grid) const;
  std::vector<std::string> currentListRows() const;
};

}  // namespace rotaryn
