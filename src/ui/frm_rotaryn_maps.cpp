#include "ui/frm_rotaryn_maps.h"

#include "catalogue/stock_catalogue.h"
#include "plugin/module.h"
#include "ui/background_paint.h"

namespace rotaryn {

frmRotarynMaps::frmRotarynMaps(Module& module)
    : WindowPart(module),
      RotationEditor(module),
      SettingsPanel(module),
      TaskScheduler(module),
      OptionsPanel(module),
      imageButtons_(std::make_unique<ImageButtons>(controls_, module.ports.files, module.RootFolder,
                                                   module.ports.screen)) {
  // The parts enrol their controls part by part; the window lists them as it is designed.
  controls_.orderRoster([](const Control* a, const Control* b) {
    return windowControlIndex(a->name()) < windowControlIndex(b->name());
  });
  fillMenus();
  Form_Load();
}

frmRotarynMaps::~frmRotarynMaps() = default;

void frmRotarynMaps::move(int leftPx, int topPx, int widthPx, int heightPx) {
  placementPx_ = {leftPx, topPx, widthPx, heightPx};
  controls_.notifier().notify("frmRotarynMaps", Change::Placement);
}

void frmRotarynMaps::setParentWindow(int64_t hostWindowId) {
  parentWindow_ = hostWindowId;
}

void frmRotarynMaps::show() {
  visible_ = true;
  controls_.notifier().notify("frmRotarynMaps", Change::Visible);
}

void frmRotarynMaps::setEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  controls_.notifier().notify("frmRotarynMaps", Change::Enabled);
}

void frmRotarynMaps::hide() {
  visible_ = false;
  controls_.notifier().notify("frmRotarynMaps", Change::Visible);
}

void WindowPart::trapped(const char* procedure, const std::function<void(ErrorTrap&)>& body) {
  ErrorTrap trap = module_.trap(procedure, module_.CurrentProfile);
  trap.run([&] { body(trap); });
}

// A menu's items are the controls designed inside it.
void frmRotarynMaps::fillMenus() {
  for (Control* control : controls()) {
    if (control->design()->kind != ControlKind::MenuItem) continue;
    for (Control* menu : controls()) {
      if (menu->name() == control->design()->container) {
        static_cast<Menu*>(menu)->items.push_back(static_cast<MenuItem*>(control));
      }
    }
  }
}

void frmRotarynMaps::Form_Load() {
  setUpRotationGrids();
  setUpTaskGrid();
  InstallBackgroundPainting(ssmTab, Picture1);
  buildButtons();
  showNewTaskDefaults();
  for (int type = 0; type < kGameTypeCount; ++type) {
    GameTypeNames[static_cast<size_t>(type)] = std::string(formats::kGameTypeNames[type]);
  }
}

// The fourteen push buttons, in the design's order, each its image first and its label second;
// their captions and places are designed.
void frmRotarynMaps::buildButtons() {
  std::vector<Button*> buttons;
  for (Control* control : controls()) {
    if (control->design()->kind == ControlKind::Button)
      buttons.push_back(static_cast<Button*>(control));
  }
  for (Button* button : buttons) {
    const ControlDesign& design = *button->design();
    const TwipsRect& p = design.place;
    const std::string container(design.container);
    imageButtons_->CreateImage(p.width, p.height, p.left, p.top, design.enabledAtLoad, true,
                               button->name() + "Img", container);
    imageButtons_->CreateLabel(p.width, p.height, p.left, p.top, design.enabledAtLoad, true,
                               std::string(design.caption), button->name(), container, 0);
  }
}

void frmRotarynMaps::Form_Unload() {
  RemoveBackgroundPainting(ssmTab);
  module_.ports.timers.destroyAll();
}

void frmRotarynMaps::buttonMouseDown(Button& button, MouseButton mouse, int, float, float) {
  if (!button.enabled || mouse != MouseButton::Left) return;
  if (imageButtons_->imageOf(button) != nullptr) {
    imageButtons_->SetState("Down", button.name() + "Img");
  }
}

void frmRotarynMaps::buttonMouseUp(Button& button, MouseButton mouse, int, float, float) {
  if (!button.enabled) return;
  if (mouse == MouseButton::Left && imageButtons_->imageOf(button) != nullptr) {
    imageButtons_->SetState("Up", button.name() + "Img");
  }
  if (button.action) button.action();
}

void frmRotarynMaps::imageMouseDown(Image& image, MouseButton mouse, int shift, float x, float y) {
  imageButtons_->imageMouseDown(*this, image, mouse, shift, x, y);
}

void frmRotarynMaps::imageMouseUp(Image& image, MouseButton mouse, int shift, float x, float y) {
  imageButtons_->imageMouseUp(*this, image, mouse, shift, x, y);
}

}  // namespace rotaryn
