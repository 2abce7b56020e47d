#pragma once

#include <string_view>

namespace rotaryn {

// Left, top, width, height in twips.
struct TwipsRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend constexpr bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

enum class ControlKind {
  TabControl,
  Frame,
  Label,
  TextBox,
  CheckBox,
  Slider,
  ComboBox,
  DatePicker,
  FlexGrid,
  Button,
  PictureButton,  // a Button drawn as a picture, acting on a click
  PictureBox,     // holds a picture the window draws with
  Image,          // a picture control the window makes when it loads
  Menu,
  MenuItem,
};

// One control of a window as it is designed.
struct ControlDesign {
  std::string_view name;
  ControlKind kind;
  // A frame, the tab control, a menu, or "" for the window itself.
  std::string_view container;
  // For a control on the tab control: its page.
  int tabPage = -1;
  // Relative to the container; on a tab page, below the tab row.
  TwipsRect place{};
  // What the control shows at design time: a caption, a text box's text, a date picker's custom
  // format, the tab control's page captions separated by "|".
  std::string_view caption = "";
  std::string_view toolTip = "";
  // Buttons: enabled when the window has loaded.
  bool enabledAtLoad = true;
};

}  // namespace rotaryn
