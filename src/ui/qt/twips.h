#pragma once

#include <QRect>

#include "ui/controls.h"

namespace rotaryn {

// The window is laid out in twips for a 96 dots-per-inch screen.
inline constexpr int kTwipsPerPixel = 15;

constexpr int pixelsFromTwips(int twips) {
  return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

inline QRect pixelRect(const TwipsRect& place) {
  return QRect(pixelsFromTwips(place.left), pixelsFromTwips(place.top),
               pixelsFromTwips(place.width), pixelsFromTwips(place.height));
}

}  // namespace rotaryn
