#include "ui/qt/frm_rotaryn_maps_view.h"

#include <QHeaderView>
#include <type_traits>
#include <variant>
#include <vector>

#include "ui/automation/window_controls.h"
#include "ui/frm_rotaryn_maps.h"
#include "ui/qt/button_binding.h"
#include "ui/qt/check_box_binding.h"
#include "ui/qt/combo_box_binding.h"
#include "ui/qt/control_binding.h"
#include "ui/qt/date_picker_binding.h"
#include "ui/qt/frame_binding.h"
#include "ui/qt/grid_binding.h"
#include "ui/qt/image_binding.h"
#include "ui/qt/input_mapping.h"
#include "ui/qt/label_binding.h"
#include "ui/qt/picture_box_binding.h"
#include "ui/qt/picture_button_binding.h"
#include "ui/qt/popup_menu_binding.h"
#include "ui/qt/slider_binding.h"
#include "ui/qt/tab_binding.h"
#include "ui/qt/text_box_binding.h"
#include "ui/qt/window_fonts.h"
#include "ui/qt/window_layout.h"

namespace rotaryn {
namespace {

TwipsRect designPlace(const Control& control) {
  std::optional<DesignPlace> place = designPlaceOf(control.name());
  return place ? place->place : TwipsRect{};
}

}  // namespace

FrmRotarynMapsView::FrmRotarynMapsView(frmRotarynMaps& model, QWidget* parent)
    : QWidget(parent), model_(model) {
  setObjectName(QStringLiteral("frmRotarynMaps"));
  setFont(windowFont());
  setAutoFillBackground(true);
  build();
  for (auto& [name, binding] : bindings_) binding->renderAll();
  model_.subscribe(*this);
  renderWindow();
}

FrmRotarynMapsView::~FrmRotarynMapsView() {
  model_.unsubscribe(*this);
  // The tab control's hook goes before the picture box it paints with.
  if (tabs_ != nullptr) tabs_->unhook();
}

template <class Binding, class Control>
Binding& FrmRotarynMapsView::add(Control& control) {
  auto binding = std::make_unique<Binding>(control, containerOf(control), designPlace(control));
  Binding& added = *binding;
  bindings_[control.name()] = std::move(binding);
  return added;
}

template <class Binding, class Control>
Binding& FrmRotarynMapsView::addWithWindow(Control& control) {
  auto binding =
      std::make_unique<Binding>(model_, control, containerOf(control), designPlace(control));
  Binding& added = *binding;
  bindings_[control.name()] = std::move(binding);
  return added;
}

QWidget* FrmRotarynMapsView::containerOf(const Widget& control) const {
  if (control.container == model_.ssmTab.name()) {
    QWidget* page = tabs_->page(control.design() != nullptr ? control.design()->tabPage : 0);
    return page != nullptr ? page : tabs_->page(0);
  }
  auto found = containers_.find(control.container);
  return found != containers_.end() ? found->second : const_cast<FrmRotarynMapsView*>(this);
}

// One binding per control of the model, in the order of the window's design; the tab control
// and the frames first, since every other control is placed inside one of them or on the window.
void FrmRotarynMapsView::build() {
  std::vector<ControlRef> controls = windowControls(model_);
  for (const ControlRef& control : controls) {
    if (auto* tabs = std::get_if<TabControl*>(&control)) tabs_ = &add<TabBinding>(**tabs);
  }
  tabs_->setPictureSources([this](const std::string& name) -> paint::PaintSource* {
    auto found = bindings_.find(name);
    return found == bindings_.end() ? nullptr
                                    : dynamic_cast<PictureBoxBinding*>(found->second.get());
  });
  for (const ControlRef& control : controls) {
    if (auto* frame = std::get_if<Frame*>(&control)) {
      containers_[(*frame)->name()] = add<FrameBinding>(**frame).widget();
    }
  }
  for (const ControlRef& control : controls) {
    std::visit(
        [this](auto* c) {
          using Kind = std::remove_pointer_t<decltype(c)>;
          if constexpr (std::is_same_v<Kind, Label>) {
            add<LabelBinding>(*c);
          } else if constexpr (std::is_same_v<Kind, TextBox>) {
            add<TextBoxBinding>(*c);
          } else if constexpr (std::is_same_v<Kind, CheckBox>) {
            add<CheckBoxBinding>(*c);
          } else if constexpr (std::is_same_v<Kind, Slider>) {
            add<SliderBinding>(*c);
          } else if constexpr (std::is_same_v<Kind, ComboBox>) {
            add<ComboBoxBinding>(*c);
          } else if constexpr (std::is_same_v<Kind, DatePicker>) {
            add<DatePickerBinding>(*c);
          } else if constexpr (std::is_same_v<Kind, FlexGrid>) {
            add<GridBinding>(*c).setGridFont(windowFont());
          } else if constexpr (std::is_same_v<Kind, Button>) {
            if (c->design()->kind == ControlKind::PictureButton) {
              addWithWindow<PictureButtonBinding>(*c);
            } else {
              addWithWindow<ButtonBinding>(*c);
            }
          } else if constexpr (std::is_same_v<Kind, Image>) {
            addWithWindow<ImageBinding>(*c);
          } else if constexpr (std::is_same_v<Kind, PictureBox>) {
            add<PictureBoxBinding>(*c);
          } else if constexpr (std::is_same_v<Kind, Menu>) {
            auto menu = std::make_unique<PopupMenuBinding>(*c, this);
            popupMenu_ = menu.get();
            bindings_[c->name()] = std::move(menu);
          }
          // The tab control and the frames are bound above; menu items come with their menu.
        },
        control);
  }
  // Each button's face in front of what was there, and its caption in front of the face.
  for (const auto& image : model_.imageButtons().images()) {
    if (QWidget* face = widgetOf(image->name())) face->raise();
    if (Button* label = model_.imageButtons().labelOf(*image)) {
      if (QWidget* caption = widgetOf(label->name())) caption->raise();
    }
  }
  connectGridInput();
}

void FrmRotarynMapsView::connectGridInput() {
  frmRotarynMaps& window = model_;
  GridBinding* list = gridOf(model_.mfgList.name());
  GridBinding* current = gridOf(model_.mfgCurrent.name());

  list->view()->onPress = [&window, list](Qt::MouseButton mouse, Qt::KeyboardModifiers keys,
                                          int row) {
    std::optional<MouseButton> pressed = modelMouseButton(mouse);
    if (!pressed) return;
    forwardInput(
        [&] { window.mfgList_MouseDown(*pressed, shiftState(keys), list->gridRowOf(row)); });
  };
  list->view()->onDoubleClick = [&window] { forwardInput([&] { window.mfgList_DblClick(); }); };

  current->view()->onDoubleClick = [&window] {
    forwardInput([&] { window.mfgCurrent_DblClick(); });
  };
  current->view()->onKeyTyped = [&window](char typed) {
    forwardInput([&] { window.mfgCurrent_KeyPress(static_cast<unsigned char>(typed)); });
  };
  current->view()->onHover = [&window, current](int row) {
    forwardInput([&] { window.mfgCurrent_MouseMove(current->gridRowOf(row)); });
  };
  current->view()->onDragOver = [&window, current](int row) {
    forwardInput([&] { window.mfgCurrent_DragOver(current->gridRowOf(row)); });
  };
  current->view()->onDrop = [&window, current](int row) {
    forwardInput([&] { window.mfgCurrent_DragDrop(current->dropRowOf(row)); });
  };
  current->view()->setAcceptDrops(true);

  GridBinding* tasks = gridOf(model_.mfgTask.name());
  tasks->view()->onPress = [&window, tasks](Qt::MouseButton mouse, Qt::KeyboardModifiers, int row) {
    if (mouse != Qt::LeftButton) return;
    forwardInput([&] {
      const int gridRow = tasks->gridRowOf(row);
      if (gridRow >= window.mfgTask.FixedRows()) window.mfgTask.setRow(gridRow);
      window.mfgTask_Click(gridRow);
    });
  };
  tasks->view()->onKeyTyped = [&window](char typed) {
    forwardInput([&] { window.mfgTask_KeyPress(static_cast<unsigned char>(typed)); });
  };
  // The header row is the grid's fixed row: a click on it (given on release) sorts the tasks.
  QObject::connect(
      tasks->view()->horizontalHeader(), &QHeaderView::sectionClicked, tasks->view(),
      [&window](int) { forwardInput([&] { window.mfgTask_MouseUp(MouseButton::Left, 0, 0); }); });
}

QWidget* FrmRotarynMapsView::widgetOf(const std::string& control) const {
  if (control == objectName().toStdString()) return const_cast<FrmRotarynMapsView*>(this);
  auto found = bindings_.find(control);
  if (found == bindings_.end()) return nullptr;
  if (auto* widget = dynamic_cast<WidgetBinding*>(found->second.get())) return widget->widget();
  if (auto* menu = dynamic_cast<PopupMenuBinding*>(found->second.get())) return menu->menu();
  return nullptr;
}

GridBinding* FrmRotarynMapsView::gridOf(const std::string& control) const {
  auto found = bindings_.find(control);
  return found == bindings_.end() ? nullptr : dynamic_cast<GridBinding*>(found->second.get());
}

void FrmRotarynMapsView::controlChanged(const std::string& control, Change what) {
  if (control == "frmRotarynMaps") {
    renderWindow();
    return;
  }
  auto found = bindings_.find(control);
  if (found != bindings_.end()) {
    found->second->render(what);
  } else if (popupMenu_ != nullptr) {
    popupMenu_->renderItem(control, what);
  }
}

void FrmRotarynMapsView::renderWindow() {
  int64_t host = model_.parentWindow();
  if (host != hostWindow_) {
    // The host names its container by window id, as it would hand over a native handle.
    QWidget* container = host != 0 ? QWidget::find(static_cast<WId>(host)) : nullptr;
    if (container != nullptr) {
      setParent(container, Qt::Widget);
    } else {
      setParent(nullptr, Qt::Window);
    }
    hostWindow_ = host;
  }
  auto [left, top, width, height] = model_.placementPx();
  if (width > 0 && height > 0) setGeometry(left, top, width, height);
  setEnabled(model_.isEnabled());
  setVisible(model_.isVisible());
}

}  // namespace rotaryn
