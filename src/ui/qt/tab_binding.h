#pragma once

#include <vector>

#include <QTabWidget>

#include "ui/qt/widget_binding.h"

namespace rotaryn {

// The tab control; choosing a tab sets the model's tab. Its pages hold the frames placed on them.
class TabBinding final : public WidgetBinding {
 public:
  TabBinding(TabControl& tabs, QWidget* parent, TwipsRect designPlace);

  QWidget* page(int index) const;

 protected:
  void renderContent(Change what) override;
  void renderAllContent() override;

 private:
  TabControl& tabs_;
  QTabWidget* widget_;
  std::vector<QWidget*> pages_;
};

}  // namespace rotaryn
