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

  // Twips per pixel across and down the screen; never fail. Pixels are square unless the
  // screen says otherwise.
  virtual int twipsPerPixelX() const = 0;
  virtual int twipsPerPixelY() const { return twipsPerPixelX(); }
};

// A screen of a fixed resolution, kDefaultTwipsPerPixel unless told otherwise.
class FixedScreen final : public Screen {
 public:
  explicit FixedScreen(int twipsPerPixel = kDefaultTwipsPerPixel)
      : FixedScreen(twipsPerPixel, twipsPerPixel) {}
  FixedScreen(int acrossTwips, int downTwips) : across_(acrossTwips), down_(downTwips) {}
  int twipsPerPixelX() const override { return across_; }
  int twipsPerPixelY() const override { return down_; }

 private:
  int across_;
  int down_;
};

// The port's values, or a 96-dpi screen's when the host gave none.
inline int twipsPerPixelX(const Screen* screen) {
  return screen != nullptr ? screen->twipsPerPixelX() : kDefaultTwipsPerPixel;
}
inline int twipsPerPixelY(const Screen* screen) {
  return screen != nullptr ? screen->twipsPerPixelY() : kDefaultTwipsPerPixel;
}

}  // namespace rotaryn
