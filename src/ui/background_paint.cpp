#include "ui/background_paint.h"

#include "platform/vb_error.h"
#include "ui/controls.h"

namespace rotaryn {
namespace paint {

uint32_t rasterOp(uint32_t rop, uint32_t source, uint32_t destination) {
  switch (rop) {
    case SRCCOPY:
      return source;
    case SRCAND:
      return source & destination;
    case MERGEPAINT:
      return ~source | destination;
    default:
      raiseVbError(vberr::kInvalidCall, "a raster operation the painting does not use");
  }
}

void stretchBlt(Bitmap& destination, const Bitmap& source, uint32_t rop) {
  if (source.width <= 0 || source.height <= 0) return;
  const int64_t dw = destination.width;
  const int64_t dh = destination.height;
  for (int y = 0; y < destination.height; ++y) {
    const int sy = static_cast<int>((2 * y + 1) * int64_t{source.height} / (2 * dh));
    for (int x = 0; x < destination.width; ++x) {
      const int sx = static_cast<int>((2 * x + 1) * int64_t{source.width} / (2 * dw));
      uint32_t& pixel = destination.at(x, y);
      pixel = rasterOp(rop, source.at(sx, sy), pixel);
    }
  }
}

void install(HookedWindow& window, PaintSource& picture) {
  if (installed(window)) return;
  // Set before the procedure is replaced: the first event may be a paint.
  window.setProperty(kPictureBox, &picture);
  Procedure former =
      window.setProcedure([&window](uint32_t message, intptr_t wParam, intptr_t lParam) {
        return procedure(window, message, wParam, lParam);
      });
  window.setProperty(kFormerProcedure, std::move(former));
}

intptr_t procedure(HookedWindow& window, uint32_t message, intptr_t wParam, intptr_t lParam) {
  std::any pictureValue = window.property(kPictureBox);
  std::any formerValue = window.property(kFormerProcedure);
  auto* picture = std::any_cast<PaintSource*>(&pictureValue);
  auto* former = std::any_cast<Procedure>(&formerValue);
  if (former == nullptr || !*former) return 0;
  if (message != WM_PAINT || picture == nullptr || *picture == nullptr) {
    return (*former)(message, wParam, lParam);
  }
  PaintSource& source = **picture;
  Bitmap memory(window.clientWidth(), window.clientHeight());
  (*former)(WM_PAINT, reinterpret_cast<intptr_t>(&memory), 0);

  const uint32_t saved = source.backColor();
  source.setBackColor(kSystemButtonFace);
  stretchBlt(memory, source.drawing(), MERGEPAINT);
  source.setBackColor(saved);
  stretchBlt(memory, source.drawing(), SRCAND);

  window.present(memory);
  return 0;
}

void remove(HookedWindow& window) {
  std::any formerValue = window.property(kFormerProcedure);
  if (auto* former = std::any_cast<Procedure>(&formerValue)) window.setProcedure(*former);
  window.removeProperty(kFormerProcedure);
  window.removeProperty(kPictureBox);
}

bool installed(const HookedWindow& window) {
  return window.property(kFormerProcedure).has_value();
}

}  // namespace paint

void InstallBackgroundPainting(TabControl& tabs, PictureBox& picture) {
  picture.scaleMode = paint::kScalePixels;
  picture.autoRedraw = true;
  tabs.paintedWith = picture.name();
}

void RemoveBackgroundPainting(TabControl& tabs) {
  tabs.paintedWith = "";
}

}  // namespace rotaryn
