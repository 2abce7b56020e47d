#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace rotaryn {

class PictureBox;
class TabControl;

// The tab control drawn with a picture blended over it: painted off screen, the picture
// stretched over that image twice with two raster operations, the result copied to the screen
// in one step. The window model says which picture box paints the tab control; a view hooks its
// tab control's event procedure with the steps below.

namespace paint {

inline constexpr uint32_t WM_PAINT = 15;
inline constexpr uint32_t SRCCOPY = 0xCC0020;
inline constexpr uint32_t SRCAND = 0x8800C6;
inline constexpr uint32_t MERGEPAINT = 0xBB0226;
inline constexpr int COLORONCOLOR = 3;
inline constexpr int kScalePixels = 3;

// The names under which a hooked window keeps what the hook replaced.
inline constexpr const char* kFormerProcedure = "lpPROC";
inline constexpr const char* kPictureBox = "PctOBJ";

// Pixels 0xAARRGGBB, row by row; the raster operations treat every bit alike.
struct Bitmap {
  Bitmap() = default;
  Bitmap(int width, int height, uint32_t fill = 0xFF000000)
      : width(width), height(height), pixels(static_cast<size_t>(width * height), fill) {}
  uint32_t& at(int x, int y) { return pixels[static_cast<size_t>(y * width + x)]; }
  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }

  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

// One pixel of a raster operation: SRCCOPY, SRCAND or MERGEPAINT; error 5 for another.
uint32_t rasterOp(uint32_t rop, uint32_t source, uint32_t destination);

// Stretches the whole source over the whole destination, COLORONCOLOR: each destination pixel
// takes the source pixel its centre falls on, nothing blended.
void stretchBlt(Bitmap& destination, const Bitmap& source, uint32_t rop);

// An event procedure: message, its two parameters, the result.
using Procedure = std::function<intptr_t(uint32_t message, intptr_t wParam, intptr_t lParam)>;

// The window a view hooks: its replaceable procedure, its named properties, its client area,
// and the screen it shows on.
class HookedWindow {
 public:
  virtual ~HookedWindow() = default;
  // Replaces the procedure; returns the one replaced.
  virtual Procedure setProcedure(Procedure procedure) = 0;
  virtual void setProperty(const std::string& name, std::any value) = 0;
  // An empty value for a property the window does not have.
  virtual std::any property(const std::string& name) const = 0;
  virtual void removeProperty(const std::string& name) = 0;
  // Client area in pixels.
  virtual int clientWidth() const = 0;
  virtual int clientHeight() const = 0;
  // Copies an image of the client area to the screen, at 0,0.
  virtual void present(const Bitmap& image) = 0;
};

// A picture box as the painting reads it: its drawing at its present background colour (the
// colour fills what its picture leaves uncovered), and that colour.
class PaintSource {
 public:
  virtual ~PaintSource() = default;
  virtual uint32_t backColor() const = 0;
  virtual void setBackColor(uint32_t color) = 0;
  virtual Bitmap drawing() const = 0;
};

// Replaces the window's procedure with the painting one, keeping the former under "lpPROC" and
// the picture box under "PctOBJ". The window and the picture box must outlive the hook.
void install(HookedWindow& window, PaintSource& picture);
// The painting procedure: painting is done off screen and shown once; any other message goes
// to the former procedure with the same values, and its result comes back. The former
// procedure paints into the Bitmap that wParam points to for WM_PAINT.
intptr_t procedure(HookedWindow& window, uint32_t message, intptr_t wParam, intptr_t lParam);
// Puts the former procedure back and removes both properties; nothing when not hooked.
void remove(HookedWindow& window);
bool installed(const HookedWindow& window);

}  // namespace paint

// The window model's side: the picture box set up to be drawn from (pixels, persistent drawing)
// and the tab control marked as painted with it, for its view to hook; and the mark removed.
void InstallBackgroundPainting(TabControl& tabs, PictureBox& picture);
void RemoveBackgroundPainting(TabControl& tabs);

}  // namespace rotaryn
