#pragma once

#include <QToolButton>

#include "ui/qt/widget_binding.h"

namespace rotaryn {

class frmRotarynMaps;

// The window's one picture button, which acts on a plain click.
class PictureButtonBinding final : public WidgetBinding {
 public:
  PictureButtonBinding(frmRotarynMaps& window, Button& button, QWidget* parent,
                       TwipsRect designPlace);

 protected:
  void renderContent(Change) override {}
  void renderAllContent() override {}
};

}  // namespace rotaryn
