#pragma once

#include <optional>
#include <string_view>

#include "ui/controls.h"

namespace rotaryn {

// Where a control sits when the window model gives it no place of its own: frames, grids,
// labels, boxes. Twips, relative to the container; a frame on the tab control names its page.
struct DesignPlace {
  std::string_view control;
  TwipsRect place;
  int tabPage = -1;
};

std::optional<DesignPlace> designPlaceOf(std::string_view control);

// The area the laid-out controls cover, so a host can size its container to show them all.
inline constexpr int kDesignWidthTwips = 10920;
inline constexpr int kDesignHeightTwips = 7920;

}  // namespace rotaryn
