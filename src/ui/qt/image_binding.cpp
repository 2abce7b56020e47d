#include "ui/qt/image_binding.h"

#include <QImage>
#include <QPixmap>

#include "ui/qt/input_mapping.h"
#include "ui/window_input.h"

namespace rotaryn {

ImageBinding::ImageBinding(frmRotarynMaps& window, Image& image, QWidget* parent,
                           TwipsRect designPlace)
    : WidgetBinding(image, new MouseLabel(parent), designPlace),
      image_(image),
      widget_(static_cast<MouseLabel*>(widget())) {
  sendMouseButtons(*widget_, window, image);
}

void ImageBinding::renderContent(Change what) {
  if (what == Change::Picture) renderAllContent();
}

void ImageBinding::renderAllContent() {
  const std::string& bytes = image_.pictureBytes;
  QImage picture;
  if (!image_.picture.get().empty() && !bytes.empty()) {
    picture.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                         static_cast<int>(bytes.size()));
  }
  showsPicture_ = !picture.isNull();
  widget_->setScaledContents(image_.stretch);
  if (showsPicture_) {
    widget_->setFrameStyle(QFrame::NoFrame);
    widget_->setAutoFillBackground(false);
    widget_->setPixmap(QPixmap::fromImage(picture));
  } else {
    widget_->clear();
    widget_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    widget_->setLineWidth(1);
    widget_->setBackgroundRole(QPalette::Button);
    widget_->setAutoFillBackground(true);
  }
}

}  // namespace rotaryn
