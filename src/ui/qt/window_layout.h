#pragma once

#include <algorithm>
#include <optional>
#include <string_view>

#include "ui/control_design.h"
#include "ui/window_controls_table.h"

namespace rotaryn {

// Where a control sits when the window model gives it no place of its own. Twips, relative to
// the container; a frame on the tab control names its page.
struct DesignPlace {
  std::string_view control;
  TwipsRect place;
  int tabPage = -1;
};

std::optional<DesignPlace> designPlaceOf(std::string_view control);

// The area the controls placed on the window itself cover, with the same margin on the right
// and at the bottom as on the left and at the top.
constexpr TwipsRect designExtent() {
  constexpr int kMarginTwips = 120;
  int right = 0;
  int bottom = 0;
  for (const ControlDesign& design : kWindowControls) {
    if (!design.container.empty()) continue;
    right = std::max(right, design.place.left + design.place.width);
    bottom = std::max(bottom, design.place.top + design.place.height);
  }
  return {0, 0, right + kMarginTwips, bottom + kMarginTwips};
}

// So a host can size its container to show every control.
inline constexpr int kDesignWidthTwips = designExtent().width;
inline constexpr int kDesignHeightTwips = designExtent().height;

}  // namespace rotaryn
