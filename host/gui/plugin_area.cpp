#include "host/gui/plugin_area.h"

#include <QPainter>

namespace rotaryn::host {
namespace {

// The plug-in's window starts 30 pixels down, below the strip naming what is shown.
constexpr int kStripPx = 30;
constexpr int kMarginPx = 4;
// The plug-in window's design size, for the area's first size before host.ini sets it.
constexpr int kDesignWidthTwips = 10920;
constexpr int kDesignHeightTwips = 7920;
constexpr int kTwipsPerPixel = 15;

int pixelsFromTwips(int twips) {
  return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

}  // namespace

GuiPluginArea::GuiPluginArea(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_NativeWindow);
  setAutoFillBackground(true);
  setAreaTwips(kDesignWidthTwips, kDesignHeightTwips);
}

int64_t GuiPluginArea::windowId() {
  return static_cast<int64_t>(winId());
}

void GuiPluginArea::setAreaTwips(int32_t widthTwips, int32_t heightTwips) {
  // The window is placed 2 pixels in and takes the whole height below the strip.
  setMinimumSize(pixelsFromTwips(widthTwips) + 2 + kMarginPx,
                 pixelsFromTwips(heightTwips) + 2 + kMarginPx);
}

void GuiPluginArea::setTitle(const QString& title) {
  title_ = title;
  update();
}

void GuiPluginArea::setHint(const QString& hint) {
  hint_ = hint;
  update();
}

void GuiPluginArea::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QRect strip(0, 0, width(), kStripPx - 4);
  painter.fillRect(strip, palette().color(QPalette::Mid));
  QFont bold = font();
  bold.setBold(true);
  painter.setFont(bold);
  painter.setPen(palette().color(QPalette::BrightText));
  painter.drawText(strip.adjusted(10, 0, -10, 0), Qt::AlignVCenter | Qt::AlignLeft, title_);
  if (!hint_.isEmpty()) {
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(rect().adjusted(0, kStripPx, 0, 0), Qt::AlignCenter, hint_);
  }
}

}  // namespace rotaryn::host
