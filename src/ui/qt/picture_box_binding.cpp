#include "ui/qt/picture_box_binding.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>

#include "ui/qt/twips.h"

namespace rotaryn {

QColor colorOfOle(uint32_t color) {
  if ((color & 0x80000000u) != 0) {
    const QPalette palette = QApplication::palette();
    switch (color & 0xFFu) {
      case 0x05:  // window background
        return palette.color(QPalette::Base);
      case 0x08:  // window text
      case 0x12:  // button text
        return palette.color(QPalette::Text);
      default:  // 0x0F button face, and the rest
        return palette.color(QPalette::Button);
    }
  }
  return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

PictureBoxBinding::PictureBoxBinding(PictureBox& box, QWidget* parent, TwipsRect designPlace)
    : WidgetBinding(box, new QWidget(parent), designPlace),
      box_(box),
      picture_(QStringLiteral(":/rotaryn/background.png")) {}

paint::Bitmap PictureBoxBinding::drawing() const {
  const QRect size = pixelRect(box_.place);
  paint::Bitmap bitmap(size.width(), size.height(), colorOfOle(box_.backColor).rgb());
  if (!picture_.isNull() && bitmap.width > 0 && bitmap.height > 0) {
    QImage canvas(reinterpret_cast<uchar*>(bitmap.pixels.data()), bitmap.width, bitmap.height,
                  bitmap.width * 4, QImage::Format_RGB32);
    QPainter painter(&canvas);
    painter.drawImage(0, 0, picture_);
  }
  return bitmap;
}

}  // namespace rotaryn
