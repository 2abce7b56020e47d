#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/qt/painted_tab_widget.h"
#include "ui/qt/widget_binding.h"

namespace rotaryn {

// The tab control; choosing a tab sets the model's tab. Its pages hold the frames placed on them.
// While the model paints it with a picture box, its widget's procedure is hooked with the
// background painting.
class TabBinding final : public WidgetBinding {
 public:
  // The picture box of a name, as the view has it; null for none.
  using PictureSources = std::function<paint::PaintSource*(const std::string&)>;

  TabBinding(TabControl& tabs, QWidget* parent, TwipsRect designPlace);
  ~TabBinding() override;

  QWidget* page(int index) const;
  PaintedTabWidget* tabWidget() const { return widget_; }
  void setPictureSources(PictureSources sources) { sources_ = std::move(sources); }
  // Takes the hook off, before the picture box it paints with goes.
  void unhook();

 protected:
  void renderContent(Change what) override;
  void renderAllContent() override;

 private:
  void renderPainting();

  TabControl& tabs_;
  PaintedTabWidget* widget_;
  std::vector<QWidget*> pages_;
  PictureSources sources_;
};

}  // namespace rotaryn
