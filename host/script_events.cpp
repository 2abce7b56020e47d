// Window events a script sends, delivered to the window model's handlers as a view would.
#include "host/script_json.h"
#include "host/script_session.h"
#include "plugin/module.h"

namespace rotaryn::host {
namespace {

MouseButton mouseButtonOf(const ScriptLine& line) {
  QString name = line.optText("button").value_or("left");
  if (name == "left") return MouseButton::Left;
  if (name == "right") return MouseButton::Right;
  if (name == "middle") return MouseButton::Middle;
  throw ScriptError("\"button\" is left, right or middle");
}

int keyAsciiOf(const ScriptLine& line) {
  if (line.value("key").isDouble()) return static_cast<int>(line.integer("key", 0, 255));
  std::string key = toWindows1252(line.text("key"));
  if (key.size() != 1) throw ScriptError("\"key\" is one character or its code");
  return static_cast<unsigned char>(key[0]);
}

[[noreturn]] void noHandler(const std::string& control, const QString& event) {
  throw ScriptError(control + " has no " + event.toStdString() + " event");
}

}  // namespace

frmRotarynMaps& ScriptSession::window() {
  Module& module = plugin().module();
  if (!module.window) throw ScriptError("the window does not exist yet; LoadInterface creates it");
  return *module.window;
}

ControlRef ScriptSession::control(const ScriptLine& line) {
  QString name = line.text("control");
  auto found = findControl(window(), name.toStdString());
  if (!found) throw ScriptError("the window has no control \"" + name.toStdString() + "\"");
  return *found;
}

void ScriptSession::windowEvent(const ScriptLine& line) {
  const QString event = line.op();
  frmRotarynMaps& w = window();
  ControlRef target = control(line);
  const std::string name = controlName(target);
  const int shift = static_cast<int>(line.optInteger("shift", 0, 7).value_or(0));
  auto row = [&] { return static_cast<int>(line.integer("row", -1, 1 << 20)); };
  auto unbound = [&](const std::string& what) { note(what + " has no action yet: not built"); };

  if (auto* button = std::get_if<Button*>(&target)) {
    Button& b = **button;
    if (event == "mouseDown" || event == "mouseUp" || event == "press" || event == "click") {
      MouseButton mouse = event == "click" ? MouseButton::Left : mouseButtonOf(line);
      if (event != "mouseUp") w.buttonMouseDown(b, mouse, shift);
      if (event == "mouseDown") return;
      if (!b.action && b.enabled) unbound(name);
      if (event == "click" && &b == &w.cmdRandomize) {
        w.cmdRandomize_Click();
      } else {
        w.buttonMouseUp(b, mouse, shift);
      }
      return;
    }
    noHandler(name, event);
  }
  if (auto* grid = std::get_if<FlexGrid*>(&target)) {
    FlexGrid& g = **grid;
    if (event == "select") {
      g.setRow(row());
      if (line.has("rowSel")) g.setRowSel(static_cast<int>(line.integer("rowSel", -1, 1 << 20)));
      return;
    }
    if (&g == &w.mfgList) {
      if (event == "mouseDown") return w.mfgList_MouseDown(mouseButtonOf(line), shift, row());
      if (event == "dblClick") return w.mfgList_DblClick();
    }
    if (&g == &w.mfgCurrent) {
      if (event == "dblClick") return w.mfgCurrent_DblClick();
      if (event == "key") return w.mfgCurrent_KeyPress(keyAsciiOf(line));
      if (event == "mouseMove") return w.mfgCurrent_MouseMove(row());
      if (event == "dragOver") return w.mfgCurrent_DragOver(row());
      if (event == "drop") {
        int at = row();
        w.mfgCurrent_DragOver(at);
        return w.mfgCurrent_DragDrop(at);
      }
    }
    noHandler(name, event);
  }
  if (auto* box = std::get_if<TextBox*>(&target)) {
    if (event == "type") {
      (*box)->text = toWindows1252(line.text("text"));
      return;
    }
    noHandler(name, event);
  }
  if (auto* combo = std::get_if<ComboBox*>(&target)) {
    if (event == "type" || event == "set") {
      (*combo)->text = toWindows1252(line.has("text") ? line.text("text") : line.text("value"));
      return;
    }
    noHandler(name, event);
  }
  if (auto* check = std::get_if<CheckBox*>(&target)) {
    if (event == "click") {
      (*check)->value = (*check)->value.get() == 0 ? 1 : 0;
      return;
    }
    if (event == "set") {
      (*check)->value = static_cast<int>(line.integer("value", 0, 2));
      return;
    }
    noHandler(name, event);
  }
  if (auto* slider = std::get_if<Slider*>(&target)) {
    if (event == "set") {
      (*slider)->value = static_cast<int>(line.integer("value", (*slider)->min, (*slider)->max));
      return;
    }
    noHandler(name, event);
  }
  if (auto* picker = std::get_if<DatePicker*>(&target)) {
    if (event == "set") {
      auto when = parseDateTime(line.text("value"));
      if (!when) throw ScriptError("\"value\" is a date and time \"yyyy-mm-dd hh:mm:ss\"");
      (*picker)->value = *when;
      return;
    }
    noHandler(name, event);
  }
  if (auto* tabs = std::get_if<TabControl*>(&target)) {
    if (event == "set" || event == "click") {
      int last = static_cast<int>((*tabs)->captions.size()) - 1;
      (*tabs)->tab = static_cast<int>(line.integer("value", 0, last));
      return;
    }
    noHandler(name, event);
  }
  if (auto* item = std::get_if<MenuItem*>(&target)) {
    if (event == "click") {
      MenuItem& m = **item;
      if (!m.enabled) return;
      if (!m.action) return unbound(name);
      m.action();
      return;
    }
    noHandler(name, event);
  }
  noHandler(name, event);
}

}  // namespace rotaryn::host
