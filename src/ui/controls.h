#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/vb_date.h"
#include "ui/control_design.h"

namespace rotaryn {

// What about a control changed, so a view refreshes only that.
enum class Change {
  Caption,
  Text,
  Value,
  Enabled,
  Visible,
  Placement,
  ToolTip,
  Items,
  Rows,       // rows added, removed or reordered, row count
  Cells,      // text, data value or colour of a cell
  Selection,  // Row / RowSel
  Redraw,
  Tab,
  Popup,  // a pop-up menu is to be shown now
  Drag,   // a drag starts from this control
  // An image's picture was loaded.
  Picture,
  // Font size.
  Font,
  // Background colour, or the picture a control is painted with.
  Background,
};

// A view of the window model; told of every change, by control name.
class ControlObserver {
 public:
  virtual ~ControlObserver() = default;
  virtual void controlChanged(const std::string& control, Change what) = 0;
};

class ChangeNotifier {
 public:
  void subscribe(ControlObserver& observer);
  void unsubscribe(ControlObserver& observer);
  void notify(const std::string& control, Change what) const;

 private:
  std::vector<ControlObserver*> observers_;
};

class Control;

// The controls of one window: the views told of their changes, and the roster of every control
// made from the window's design, in the order they were made. Not a ChangeNotifier itself, so a
// window's control cannot be made without its design by mistake.
class ControlSet {
 public:
  ChangeNotifier& notifier() { return notifier_; }
  void enrol(Control& control) { roster_.push_back(&control); }
  const std::vector<Control*>& roster() const { return roster_; }
  // Puts the roster in this order (a window made of parts enrols its controls part by part).
  template <class Less>
  void orderRoster(Less less) {
    std::stable_sort(roster_.begin(), roster_.end(), less);
  }

 private:
  ChangeNotifier notifier_;
  std::vector<Control*> roster_;
};

// A named control of the window. Controls are members of the window and never move.
class Control {
 public:
  Control(ChangeNotifier& notifier, std::string name)
      : notifier_(notifier), name_(std::move(name)) {}
  // A control of a window's design: named by it, and enrolled in the window's set.
  Control(ControlSet& set, const ControlDesign& design)
      : notifier_(set.notifier()), name_(design.name), design_(&design) {
    set.enrol(*this);
  }
  // A control the window makes as it runs: its own name, the design of its kind.
  Control(ControlSet& set, std::string name, const ControlDesign& kind)
      : notifier_(set.notifier()), name_(std::move(name)), design_(&kind) {
    set.enrol(*this);
  }
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& name() const { return name_; }
  // Null for a control made outside a window's design.
  const ControlDesign* design() const { return design_; }
  void notify(Change what) const { notifier_.notify(name_, what); }

 private:
  ChangeNotifier& notifier_;
  std::string name_;
  const ControlDesign* design_ = nullptr;
};

// A control property: assigning a different value tells the view and then runs the change
// handler, as VB raises Change or Click when code sets Text or Value.
template <class T>
class Property {
 public:
  Property(Control& owner, Change what, T initial = T{})
      : owner_(owner), what_(what), value_(std::move(initial)) {}
  Property(const Property&) = delete;

  Property& operator=(const Property& other) { return *this = other.value_; }
  Property& operator=(T value) {
    if (value == value_) return *this;
    value_ = std::move(value);
    owner_.notify(what_);
    if (handler_) handler_();
    return *this;
  }
  void onChange(std::function<void()> handler) { handler_ = std::move(handler); }

  const T& get() const { return value_; }
  operator const T&() const { return value_; }
  friend bool operator==(const Property& a, const T& b) { return a.value_ == b; }

 private:
  Control& owner_;
  Change what_;
  T value_;
  std::function<void()> handler_;
};

// A control with a place inside a container (a frame or the window itself).
class Widget : public Control {
 public:
  Widget(ChangeNotifier& notifier, std::string name, std::string container = "")
      : Control(notifier, std::move(name)), container(std::move(container)) {}
  // Name, container, place and tool-tip as designed.
  Widget(ControlSet& set, const ControlDesign& design)
      : Control(set, design), container(design.container) {
    place = design.place;
    toolTipText = std::string(design.toolTip);
  }
  Widget(ControlSet& set, std::string name, const ControlDesign& kind, std::string container)
      : Control(set, std::move(name), kind), container(std::move(container)) {}

  std::string container;
  Property<TwipsRect> place{*this, Change::Placement};
  Property<bool> visible{*this, Change::Visible, true};
  Property<bool> enabled{*this, Change::Enabled, true};
  Property<std::string> toolTipText{*this, Change::ToolTip};
};

class Label : public Widget {
 public:
  using Widget::Widget;
  Label(ControlSet& set, const ControlDesign& design) : Widget(set, design) {
    caption = std::string(design.caption);
  }
  static constexpr bool fits(ControlKind kind) { return kind == ControlKind::Label; }
  Property<std::string> caption{*this, Change::Caption};
};

class Frame : public Widget {
 public:
  using Widget::Widget;
  Frame(ControlSet& set, const ControlDesign& design) : Widget(set, design) {
    caption = std::string(design.caption);
  }
  static constexpr bool fits(ControlKind kind) { return kind == ControlKind::Frame; }
  Property<std::string> caption{*this, Change::Caption};
};

// Its change handler (text.onChange) runs whenever the text changes, by code or by typing.
class TextBox : public Widget {
 public:
  using Widget::Widget;
  // The designed text, set before any change handler exists.
  TextBox(ControlSet& set, const ControlDesign& design) : Widget(set, design) {
    text = std::string(design.caption);
  }
  static constexpr bool fits(ControlKind kind) { return kind == ControlKind::TextBox; }
  Property<std::string> text{*this, Change::Text};
};

// value: 0 cleared, 1 ticked. Setting a different value runs the click handler.
class CheckBox : public Widget {
 public:
  using Widget::Widget;
  CheckBox(ControlSet& set, const ControlDesign& design) : Widget(set, design) {
    caption = std::string(design.caption);
  }
  static constexpr bool fits(ControlKind kind) { return kind == ControlKind::CheckBox; }
  Property<std::string> caption{*this, Change::Caption};
  Property<int> value{*this, Change::Value};
};

class Slider : public Widget {
 public:
  using Widget::Widget;
  static constexpr bool fits(ControlKind kind) { return kind == ControlKind::Slider; }
  int min = 1;
  int max = 9;
  Property<int> value{*this, Change::Value};
};

class ComboBox : public Widget {
 public:
  using Widget::Widget;
  static constexpr bool fits(ControlKind kind) { return kind == ControlKind::ComboBox; }
  void addItem(const std::string& item);
  void clear();
  const std::vector<std::string>& items() const { return items_; }
  Property<std::string> text{*this, Change::Text};

 private:
  std::vector<std::string> items_;
};

class DatePicker : public Widget {
 public:
  DatePicker(ChangeNotifier& notifier, std::string name, std::string container,
             std::string customFormat)
      : Widget(notifier, std::move(name), std::move(container)),
        customFormat(std::move(customFormat)) {}
  // The designed caption is the custom format.
  DatePicker(ControlSet& set, const ControlDesign& design)
      : Widget(set, design), customFormat(design.caption) {}
  static constexpr bool fits(ControlKind kind) { return kind == ControlKind::DatePicker; }
  std::string customFormat;
  Property<DateTime> value{*this, Change::Value};
};

enum class MouseButton { Left = 1, Right = 2, Middle = 4 };
inline constexpr int kShiftMask = 1;

// A push button; its action runs when a mouse button is released over it. Once the window has
// loaded, a designed Button is the caption of an image button: a transparent label with centred
// text over its face, the Image named after it with "Img" (see ui/image_buttons.h).
class Button : public Widget {
 public:
  using Widget::Widget;
  Button(ControlSet& set, const ControlDesign& design) : Widget(set, design) {
    caption = std::string(design.caption);
  }
  static constexpr bool fits(ControlKind kind) {
    return kind == ControlKind::Button || kind == ControlKind::PictureButton;
  }
  Property<std::string> caption{*this, Change::Caption};
  // In points; 0 until the window sets it: the view's own size.
  Property<int> fontSize{*this, Change::Font};
  std::function<void()> action;
};

// A picture control; its picture is stretched over its place when `stretch` is set.
class Image : public Widget {
 public:
  using Widget::Widget;
  static constexpr bool fits(ControlKind kind) { return kind == ControlKind::Image; }
  bool stretch = false;
  // The bytes of the picture last loaded (set before `picture`); empty when the file could not
  // be read, and the view shows a plain face.
  std::string pictureBytes;
  // The file last loaded, a Windows path; "" for none.
  Property<std::string> picture{*this, Change::Picture};
};

// OLE colours: 0x00BBGGRR, or a system colour 0x800000nn.
inline constexpr uint32_t kSystemButtonFace = 0x8000000F;

// A picture box: the view holds its picture (the window's design), the model its drawing state.
class PictureBox : public Widget {
 public:
  PictureBox(ControlSet& set, const ControlDesign& design) : Widget(set, design) {
    visible = false;
  }
  static constexpr bool fits(ControlKind kind) { return kind == ControlKind::PictureBox; }
  // 1 twips, 3 pixels.
  Property<int> scaleMode{*this, Change::Value, 1};
  // Drawing kept in a persistent image, so the box can be copied from while hidden.
  Property<bool> autoRedraw{*this, Change::Value, false};
  Property<uint32_t> backColor{*this, Change::Background, kSystemButtonFace};
};

class TabControl : public Widget {
 public:
  TabControl(ChangeNotifier& notifier, std::string name, std::vector<std::string> captions)
      : Widget(notifier, std::move(name)), captions(std::move(captions)) {}
  // The designed caption holds the pages' captions separated by "|".
  TabControl(ControlSet& set, const ControlDesign& design);
  static constexpr bool fits(ControlKind kind) { return kind == ControlKind::TabControl; }
  std::vector<std::string> captions;
  Property<int> tab{*this, Change::Tab};
  // The picture box whose picture is blended over the control's painting; "" for none.
  Property<std::string> paintedWith{*this, Change::Background};
};

class MenuItem : public Control {
 public:
  MenuItem(ChangeNotifier& notifier, std::string name, std::string caption)
      : Control(notifier, std::move(name)), caption(*this, Change::Caption, std::move(caption)) {}
  MenuItem(ControlSet& set, const ControlDesign& design)
      : Control(set, design), caption(*this, Change::Caption, std::string(design.caption)) {}
  static constexpr bool fits(ControlKind kind) { return kind == ControlKind::MenuItem; }
  Property<std::string> caption;
  Property<bool> enabled{*this, Change::Enabled, true};
  std::function<void()> action;
};

// A pop-up menu; popup() asks the view to show it at the pointer.
class Menu : public Control {
 public:
  Menu(ChangeNotifier& notifier, std::string name, std::string caption,
       std::vector<MenuItem*> items)
      : Control(notifier, std::move(name)), caption(std::move(caption)), items(std::move(items)) {}
  // Its items are the window's to add: they are the controls designed inside the menu.
  Menu(ControlSet& set, const ControlDesign& design)
      : Control(set, design), caption(design.caption) {}
  static constexpr bool fits(ControlKind kind) { return kind == ControlKind::Menu; }
  void popup() {
    ++popups;
    notify(Change::Popup);
  }
  std::string caption;
  std::vector<MenuItem*> items;
  int popups = 0;
};

}  // namespace rotaryn
