#include "ui/qt/picture_button_binding.h"

#include <QStyle>

#include "ui/frm_rotaryn_maps.h"

namespace rotaryn {

PictureButtonBinding::PictureButtonBinding(frmRotarynMaps& window, Button& button, QWidget* parent,
                                           TwipsRect designPlace)
    : WidgetBinding(button, new QToolButton(parent), designPlace) {
  auto* face = static_cast<QToolButton*>(widget());
  face->setFocusPolicy(Qt::NoFocus);
  face->setAutoRaise(false);
  face->setIcon(face->style()->standardIcon(QStyle::SP_BrowserReload));
  face->setIconSize(QSize(20, 20));
  connect(face, &QToolButton::clicked, this,
          [&window] { forwardInput([&] { window.cmdRandomize_Click(); }); });
}

}  // namespace rotaryn
