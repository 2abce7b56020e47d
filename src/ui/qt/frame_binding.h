#pragma once

#include <QGroupBox>

#include "ui/qt/widget_binding.h"

namespace rotaryn {

// A frame; the controls it holds are placed relative to its outer corner.
class FrameBinding final : public WidgetBinding {
 public:
  FrameBinding(const Frame& frame, QWidget* parent, TwipsRect designPlace);

 protected:
  void renderContent(Change what) override;
  void renderAllContent() override;

 private:
  const Frame& frame_;
  QGroupBox* widget_;
};

}  // namespace rotaryn
