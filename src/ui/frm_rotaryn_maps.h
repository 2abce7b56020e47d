#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/controls.h"
#include "ui/image_buttons.h"
#include "ui/options_panel.h"
#include "ui/rotation_editor.h"
#include "ui/settings_panel.h"
#include "ui/task_scheduler.h"
#include "ui/window_controls_table.h"

namespace rotaryn {

// The plug-in's one window, shared by all profiles and always showing CurrentProfile. A plain
// model made of its parts as the window is seen (the rotation editor, the settings and task
// scheduler tabs, the game commands), each holding its controls and handlers; a view
// (src/ui/qt/) renders it and forwards input through ui/window_input. Profile timers live in
// the Timers port, not here.
class frmRotarynMaps final : public RotationEditor,
                             public SettingsPanel,
                             public TaskScheduler,
                             public OptionsPanel,
                             public ButtonLabelEvents {
 public:
  // Creating the window runs Form_Load.
  explicit frmRotarynMaps(Module& module);
  ~frmRotarynMaps() override;

  void subscribe(ControlObserver& observer) { controls_.notifier().subscribe(observer); }
  void unsubscribe(ControlObserver& observer) { controls_.notifier().unsubscribe(observer); }

  // Placement inside the host, as the host asks for it.
  void move(int leftPx, int topPx, int widthPx, int heightPx);
  void setParentWindow(int64_t hostWindowId);
  void show();
  void hide();
  bool isVisible() const { return visible_; }
  // A disabled window takes no input (its Enabled property).
  void setEnabled(bool enabled);
  void showTab(int page) { ssmTab.tab = page; }
  bool isEnabled() const { return enabled_; }
  int64_t parentWindow() const { return parentWindow_; }
  std::array<int, 4> placementPx() const { return placementPx_; }

  // Life cycle.
  void Form_Load();
  void Form_Reload();
  // Destroys every profile's timers with the window.
  void Form_Unload();

  // A button's label: the left button shows the pressed face while held; a release restores it
  // (left button) and runs the action, whichever button was released. A disabled button does
  // nothing. A button's image hands its events to its label.
  void buttonMouseDown(Button& button, MouseButton mouse, int shift, float x = 0,
                       float y = 0) override;
  void buttonMouseUp(Button& button, MouseButton mouse, int shift, float x = 0,
                     float y = 0) override;
  void imageMouseDown(Image& image, MouseButton mouse, int shift, float x = 0, float y = 0);
  void imageMouseUp(Image& image, MouseButton mouse, int shift, float x = 0, float y = 0);
  ImageButtons& imageButtons() { return *imageButtons_; }

  // Every control, in the order of the window's design (kWindowControls), which gives each its
  // name, container, place and caption; then those the window made as it loaded.
  const std::vector<Control*>& controls() const { return controls_.roster(); }

  TabControl ssmTab{controls_, windowControlDesign<TabControl>("ssmTab")};
  PictureBox Picture1{controls_, windowControlDesign<PictureBox>("Picture1")};

 private:
  void fillMenus();
  void buildButtons();

  // Made before Form_Load; the images it makes are controls of the window from then on.
  std::unique_ptr<ImageButtons> imageButtons_;
  bool visible_ = false;
  bool enabled_ = true;
  int64_t parentWindow_ = 0;
  std::array<int, 4> placementPx_{};
};

}  // namespace rotaryn
