#include "ui/qt/frame_binding.h"

#include "ui/qt/text_codec.h"

namespace rotaryn {

FrameBinding::FrameBinding(const Frame& frame, QWidget* parent, TwipsRect designPlace)
    : WidgetBinding(frame, new QGroupBox(parent), designPlace),
      frame_(frame),
      widget_(static_cast<QGroupBox*>(widget())) {}

void FrameBinding::renderContent(Change what) {
  if (what == Change::Caption) renderAllContent();
}

void FrameBinding::renderAllContent() {
  widget_->setTitle(literalCaption(frame_.caption));
}

}  // namespace rotaryn
