#pragma once

namespace rotaryn {

// Twips per screen pixel on a 96 dots-per-inch screen (1440 twips to the inch).
inline constexpr int kDefaultTwipsPerPixel = 15;

// The screen the window shows on, as far as the window's arithmetic in twips needs it.
class Screen {
 public:
  Screen() = default;
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;
  virtual ~Screen() = default;

  // Twips per pixel across the screen; never fails.
  virtual int twipsPerPixelX() const = 0;
};

// A screen of a fixed resolution, kDefaultTwipsPerPixel unless told otherwise.
class FixedScreen final : public Screen {
 public:
  explicit FixedScreen(int twipsPerPixel = kDefaultTwipsPerPixel) : twipsPerPixel_(twipsPerPixel) {}
  int twipsPerPixelX() const override { return twipsPerPixel_; }

 private:
  int twipsPerPixel_;
};

// The port's value, or a 96-dpi screen's when the host gave none.
inline int twipsPerPixelX(const Screen* screen) {
  return screen != nullptr ? screen->twipsPerPixelX() : kDefaultTwipsPerPixel;
}

}  // namespace rotaryn
