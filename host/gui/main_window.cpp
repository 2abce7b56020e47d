#include "host/gui/main_window.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>

namespace rotaryn::host {

GuiMainWindow::GuiMainWindow(const QString& title) {
  setWindowTitle(title);
  // The profiles above the plug-in's area: the table gets the window's whole width, so every
  // column shows at the window's default size.
  auto* split = new QSplitter(Qt::Vertical, this);
  profiles_ = new GuiProfileList(split);
  area_ = new GuiPluginArea(split);
  split->addWidget(profiles_);
  split->addWidget(area_);
  split->setStretchFactor(0, 0);
  split->setStretchFactor(1, 1);
  split->setChildrenCollapsible(false);
  setCentralWidget(split);

  QMenu* hostMenu = menuBar()->addMenu(QStringLiteral("&Host"));
  hostMenu->addAction(QStringLiteral("&Quit"), QKeySequence::Quit, this, [this] { close(); });
  serverMenu_ = menuBar()->addMenu(QStringLiteral("&Server"));
  statusBar();
}

void GuiMainWindow::setServerMenu(const std::vector<QString>& entries) {
  serverMenu_->clear();
  for (const QString& entry : entries) {
    serverMenu_->addAction(entry, this, [this, entry] {
      if (onServerMenu) onServerMenu(entry);
    });
  }
}

void GuiMainWindow::say(const QString& text) {
  statusBar()->showMessage(text);
}

void GuiMainWindow::closeEvent(QCloseEvent* event) {
  // The plug-in is unloaded while its window still has its container.
  if (!closing_ && onClosing) {
    closing_ = true;
    onClosing();
  }
  event->accept();
}

}  // namespace rotaryn::host
