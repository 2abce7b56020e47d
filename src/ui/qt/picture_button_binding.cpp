#include "ui/qt/picture_button_binding.h"

#include <QStyle>

#include "ui/window_input.h"

namespace rotaryn {

PictureButtonBinding::PictureButtonBinding(frmRotarynMaps& window, Button& button, QWidget* parent,
                                           TwipsRect designPlace)
    : WidgetBinding(button, new QToolButton(parent), designPlace) {
  auto* face = static_cast<QToolButton*>(widget());
  face->setFocusPolicy(Qt::NoFocus);
  face->setAutoRaise(false);
  face->setIcon(face->style()->standardIcon(QStyle::SP_BrowserReload));
  face->setIconSize(QSize(20, 20));
  connect(face, &QToolButton::clicked, this, [&window, &button] {
    forwardInput([&] { deliverInput(window, button, {.event = InputEvent::Click}); });
  });
}

}  // namespace rotaryn
