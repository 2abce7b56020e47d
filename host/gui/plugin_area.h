#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>

namespace rotaryn::host {

// The part of the host's window lent to the plug-in: a native child window whose id the
// plug-in receives, at least as large as the area the profile data announces (host.ini's
// AreaWidth and AreaHeight). Its top strip names what is shown; the plug-in places its window
// below the strip. While nothing is shown, a hint says why.
class GuiPluginArea final : public QWidget {
 public:
  explicit GuiPluginArea(QWidget* parent);

  int64_t windowId();
  // The area the plug-in is told it has, in twips; the widget grows to hold it.
  void setAreaTwips(int32_t widthTwips, int32_t heightTwips);
  void setTitle(const QString& title);
  void setHint(const QString& hint);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString title_;
  QString hint_;
};

}  // namespace rotaryn::host
