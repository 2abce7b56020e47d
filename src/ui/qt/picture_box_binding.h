#pragma once

#include <QImage>

#include "ui/background_paint.h"
#include "ui/qt/widget_binding.h"

namespace rotaryn {

// The window's picture box: never shown, it holds the picture of the window's design (a
// resource of the library) and gives the background painting its drawing: the picture at 0,0
// over the box's background colour, the box's size in pixels.
class PictureBoxBinding final : public WidgetBinding, public paint::PaintSource {
 public:
  PictureBoxBinding(PictureBox& box, QWidget* parent, TwipsRect designPlace);

  // The picture itself; a test may give another.
  void setPicture(QImage picture) { picture_ = std::move(picture); }

  uint32_t backColor() const override { return box_.backColor; }
  void setBackColor(uint32_t color) override { box_.backColor = color; }
  paint::Bitmap drawing() const override;

 protected:
  void renderContent(Change) override {}
  void renderAllContent() override {}

 private:
  PictureBox& box_;
  QImage picture_;
};

// An OLE colour as the screen shows it; system colours from the application's palette.
QColor colorOfOle(uint32_t color);

}  // namespace rotaryn
