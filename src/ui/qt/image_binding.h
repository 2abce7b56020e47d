#pragma once

#include "ui/qt/mouse_label.h"
#include "ui/qt/widget_binding.h"

namespace rotaryn {

class frmRotarynMaps;

// An image control: its picture, stretched over its place when the image stretches. A picture
// that is missing or cannot be decoded shows a plain raised face instead. Mouse presses and
// releases go to the window's image handlers.
class ImageBinding final : public WidgetBinding {
 public:
  ImageBinding(frmRotarynMaps& window, Image& image, QWidget* parent, TwipsRect designPlace);

  // False while the image shows the plain face.
  bool showsPicture() const { return showsPicture_; }

 protected:
  void renderContent(Change what) override;
  void renderAllContent() override;

 private:
  Image& image_;
  MouseLabel* widget_;
  bool showsPicture_ = false;
};

}  // namespace rotaryn
