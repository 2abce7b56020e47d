#pragma once

#include <QLabel>

#include "ui/qt/widget_binding.h"

namespace rotaryn {

class LabelBinding final : public WidgetBinding {
 public:
  LabelBinding(const Label& label, QWidget* parent, TwipsRect designPlace);

 protected:
  void renderContent(Change what) override;
  void renderAllContent() override;

 private:
  const Label& label_;
  QLabel* widget_;
};

}  // namespace rotaryn
