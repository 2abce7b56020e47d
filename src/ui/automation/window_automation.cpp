#include "ui/automation/window_automation.h"

#include <type_traits>

#include "catalogue/stock_catalogue.h"
#include "formats/game_names.h"
#include "memory/rotation_layout.h"
#include "memory/server_fields.h"
#include "platform/vb_error.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "ui/automation/window_controls.h"

namespace rotaryn {
namespace {

[[noreturn]] void refuse(const std::string& why) {
  raiseVbError(vberr::kInvalidCall, why);
}

// A request's member, read with a message naming the key when it is missing or of the wrong kind.
class Request {
 public:
  explicit Request(const Json& json) : json_(json) {
    if (!json_.is_object()) refuse("an automation request is a JSON object");
  }
  bool has(const char* key) const { return json_.contains(key); }
  std::string text(const char* key) const {
    const Json& value = at(key);
    if (!value.is_string()) refuse(std::string("\"") + key + "\" is a text");
    return fromJsonText(value.get_ref<const std::string&>());
  }
  int64_t integer(const char* key, int64_t min, int64_t max) const {
    const Json& value = at(key);
    if (!value.is_number_integer() && !value.is_number_unsigned()) {
      refuse(std::string("\"") + key + "\" is a whole number");
    }
    int64_t number = value.get<int64_t>();
    if (number < min || number > max) {
      refuse(std::string("\"") + key + "\" is out of range (" + std::to_string(min) + " to " +
             std::to_string(max) + ")");
    }
    return number;
  }
  int64_t integerOr(const char* key, int64_t min, int64_t max, int64_t otherwise) const {
    return has(key) ? integer(key, min, max) : otherwise;
  }
  const Json& at(const char* key) const {
    auto found = json_.find(key);
    if (found == json_.end()) refuse(std::string("the request has no \"") + key + "\"");
    return *found;
  }

 private:
  const Json& json_;
};

Json placeOf(const TwipsRect& place) {
  return Json::array({place.left, place.top, place.width, place.height});
}

Json describeGrid(const FlexGrid& grid) {
  Json rows = Json::array();
  Json texts = Json::array();
  for (int r = 0; r < grid.Rows(); ++r) {
    Json cells = Json::array();
    Json colors = Json::array();
    std::string joined;
    for (int c = 0; c < grid.Cols(); ++c) {
      std::string text = jsonText(grid.TextMatrix(r, c));
      joined += (c > 0 ? "\t" : "") + text;
      cells.push_back(std::move(text));
      colors.push_back(grid.backColorAt(r, c));
    }
    rows.push_back(Json{{"cells", cells}, {"data", grid.RowData(r)}, {"colors", colors}});
    texts.push_back(joined);
  }
  return Json{
      {"rowCount", grid.Rows()},     {"cols", grid.Cols()},     {"fixedRows", grid.FixedRows()},
      {"row", grid.Row()},           {"rowSel", grid.RowSel()}, {"col", grid.Col()},
      {"redraw", grid.Redraw.get()}, {"text", texts},           {"rows", rows}};
}

// A file under the root as a relative path with "/"; any other path as it is.
std::string underRoot(const Module& module, const std::string& path) {
  std::string relative = path;
  const std::string& root = module.RootFolder;
  if (!root.empty() && path.size() > root.size() &&
      vb::UCase(path.substr(0, root.size())) == vb::UCase(root) && path[root.size()] == '\\') {
    relative = path.substr(root.size() + 1);
  }
  for (char& c : relative) {
    if (c == '\\') c = '/';
  }
  return jsonText(relative);
}

Json describeControl(const Module& module, const ControlRef& control) {
  Json out{{"name", controlName(control)}, {"kind", std::string(controlKind(control))}};
  std::visit(
      [&out, &module](auto* c) {
        using T = std::remove_pointer_t<decltype(c)>;
        if constexpr (std::is_base_of_v<Widget, T>) {
          out["container"] = c->container;
          out["visible"] = c->visible.get();
          out["enabled"] = c->enabled.get();
          out["place"] = placeOf(c->place.get());
          out["toolTip"] = jsonText(c->toolTipText.get());
        }
        if constexpr (std::is_same_v<T, FlexGrid>) {
          out.update(describeGrid(*c));
        } else if constexpr (std::is_same_v<T, TextBox>) {
          out["text"] = jsonText(c->text.get());
        } else if constexpr (std::is_same_v<T, CheckBox>) {
          out["caption"] = jsonText(c->caption.get());
          out["value"] = c->value.get();
        } else if constexpr (std::is_same_v<T, Slider>) {
          out["value"] = c->value.get();
          out["min"] = c->min;
          out["max"] = c->max;
        } else if constexpr (std::is_same_v<T, ComboBox>) {
          out["text"] = jsonText(c->text.get());
          Json items = Json::array();
          for (const std::string& item : c->items()) items.push_back(jsonText(item));
          out["items"] = items;
        } else if constexpr (std::is_same_v<T, DatePicker>) {
          out["value"] = formatDateTime(c->value.get());
          out["format"] = c->customFormat;
        } else if constexpr (std::is_same_v<T, TabControl>) {
          out["tab"] = c->tab.get();
          Json captions = Json::array();
          for (const std::string& caption : c->captions) captions.push_back(jsonText(caption));
          out["captions"] = captions;
        } else if constexpr (std::is_same_v<T, Menu>) {
          out["caption"] = jsonText(c->caption);
          Json items = Json::array();
          for (const MenuItem* item : c->items) items.push_back(item->name());
          out["items"] = items;
          out["popups"] = c->popups;
        } else if constexpr (std::is_same_v<T, MenuItem>) {
          out["caption"] = jsonText(c->caption.get());
          out["enabled"] = c->enabled.get();
        } else if constexpr (std::is_same_v<T, Image>) {
          out["picture"] = underRoot(module, c->picture.get());
          out["stretch"] = c->stretch;
        } else if constexpr (std::is_same_v<T, PictureBox>) {
          out["scaleMode"] = c->scaleMode.get();
          out["autoRedraw"] = c->autoRedraw.get();
          out["backColor"] = c->backColor.get();
        } else if constexpr (std::is_same_v<T, Button>) {
          out["caption"] = jsonText(c->caption.get());
          out["fontSize"] = c->fontSize.get();
        } else {
          out["caption"] = jsonText(c->caption.get());
        }
        if constexpr (std::is_same_v<T, TabControl>) out["paintedWith"] = c->paintedWith.get();
      },
      control);
  return out;
}

frmRotarynMaps& windowOf(Module& module) {
  if (!module.window) refuse("the window does not exist yet; LoadInterface creates it");
  return *module.window;
}

ControlRef controlOf(frmRotarynMaps& window, const Request& request) {
  std::string name = request.text("control");
  auto found = findControl(window, name);
  if (!found) refuse("the window has no control \"" + name + "\"");
  return *found;
}

Json dumpWindow(Module& module) {
  if (!module.window) return Json{{"exists", false}};
  frmRotarynMaps& w = *module.window;
  auto place = w.placementPx();
  return Json{{"exists", true},
              {"visible", w.isVisible()},
              {"enabled", w.isEnabled()},
              {"parent", w.parentWindow()},
              {"placement", Json::array({place[0], place[1], place[2], place[3]})},
              {"dragging", w.dragging()},
              {"maxMaps", w.MaxMapsLimit},
              {"currentProfile", module.CurrentProfile}};
}

Json dumpCurrentList(const Module& module) {
  const CurrentListTables& list = module.currentList;
  Json entries = Json::array();
  for (long i = 1; i <= list.CurrentMapNames.count(); ++i) {
    auto at = [i](const Collection<std::string>& c) {
      return i <= c.count() ? jsonText(c.item(i)) : std::string();
    };
    entries.push_back(Json{{"name", at(list.CurrentMapNames)},
                           {"file", at(list.CurrentMapFiles)},
                           {"type", at(list.CurrentMapTypes)},
                           {"custom", at(list.CurrentMapCustom)}});
  }
  return entries;
}

Json dumpProfile(const Module& module, int32_t index) {
  Json out{{"index", index}, {"current", module.CurrentProfile == index}};
  if (index < 0 || static_cast<size_t>(index) >= module.Profiles.size()) {
    out["registered"] = false;
    out["addresses"] = 0;
    return out;
  }
  const ProfileRecord& r = module.Profiles[static_cast<size_t>(index)];
  out["registered"] = true;
  out["GameFolder"] = jsonText(r.GameFolder);
  out["ServerType"] = jsonText(r.ServerType);
  out["ServerProcess"] = r.ServerProcess;
  out["HostText0"] = jsonText(r.HostText0);
  out["HostText3"] = jsonText(r.HostText3);
  out["HostText4"] = jsonText(r.HostText4);
  out["MessageTarget"] = r.MessageTarget;
  out["ProfileFolder"] = jsonText(r.ProfileFolder);
  out["IsAffiliate"] = r.IsAffiliate;
  Json addresses = Json::object();
  if (static_cast<size_t>(index) < module.AddressTables.size()) {
    const AddressTable& table = module.AddressTables[static_cast<size_t>(index)];
    for (long i = 1; i <= table.count(); ++i) addresses[table.keyAt(i)] = table.item(i);
  }
  out["addresses"] = addresses.size();
  out["addressTable"] = addresses;
  if (static_cast<size_t>(index) < module.AutoloadDone.size()) {
    out["autoloadDone"] = module.AutoloadDone[static_cast<size_t>(index)];
  }
  return out;
}

// What a host shows of a profile's server: read through the memory component as the plug-in
// reads it, so a host needs no memory code of its own.
Json dumpServerState(Module& module, int32_t index) {
  int32_t state = readLong(module, index, "GameState");
  std::string map = readText(module, index, "CurMap");
  int32_t type = readLong(module, index, "GameType");
  std::string pack = serverResourcePack(module, index);
  Json out{{"state", state},
           {"map", jsonText(map)},
           {"gameType", type},
           {"pack", jsonText(pack)},
           {"affiliate", module.profile(index).IsAffiliate}};
  if (type >= 0 && type < static_cast<int32_t>(formats::kGameTypeNames.size())) {
    out["gameTypeName"] = std::string(formats::kGameTypeNames[static_cast<size_t>(type)]);
  }
  // The map the server plays after this game: the entry after its position, wrapping.
  const int32_t header = readLong(module, index, "MapPointer");
  const int32_t count = readLongAt(module, index, header + rotation::kCountOffset);
  const int32_t position = readLongAt(module, index, header + rotation::kCurrentOffset);
  if (count > 0 && count <= 255 && position >= 0) {
    const int32_t next = (position + 1) % count;
    out["nextPosition"] = next;
    out["nextMap"] =
        jsonText(vb::Trim(readText(module, index, "MapNameAdd", next * rotation::kSlotSize)));
  }
  return out;
}

MouseButton mouseButtonOf(const Request& request) {
  std::string name = request.has("button") ? request.text("button") : "left";
  if (name == "left") return MouseButton::Left;
  if (name == "right") return MouseButton::Right;
  if (name == "middle") return MouseButton::Middle;
  refuse("\"button\" is left, right or middle");
}

int keyAsciiOf(const Request& request) {
  if (request.at("key").is_number()) return static_cast<int>(request.integer("key", 0, 255));
  std::string key = request.text("key");
  if (key.size() != 1) refuse("\"key\" is one character or its code");
  return static_cast<unsigned char>(key[0]);
}

[[noreturn]] void noEvent(const std::string& control, const std::string& event) {
  refuse(control + " has no " + event + " event");
}

// Delivers one input event to the window model's handlers, as the Qt view does.
void deliverEvent(frmRotarynMaps& w, const Request& request, Json& notes) {
  const std::string event = request.text("event");
  ControlRef target = controlOf(w, request);
  const std::string name = controlName(target);
  const int shift = static_cast<int>(request.integerOr("shift", 0, 7, 0));
  auto row = [&] { return static_cast<int>(request.integer("row", -1, 1 << 20)); };
  auto unbound = [&] { notes.push_back(name + " has no action yet: not built"); };

  if (auto* button = std::get_if<Button*>(&target)) {
    Button& b = **button;
    if (event != "mouseDown" && event != "mouseUp" && event != "press" && event != "click") {
      noEvent(name, event);
    }
    MouseButton mouse = event == "click" ? MouseButton::Left : mouseButtonOf(request);
    if (event != "mouseUp") w.buttonMouseDown(b, mouse, shift);
    if (event == "mouseDown") return;
    if (!b.action && b.enabled) unbound();
    if (event == "click" && &b == &w.cmdRandomize) {
      w.cmdRandomize_Click();
    } else {
      w.buttonMouseUp(b, mouse, shift);
    }
    return;
  }
  if (auto* image = std::get_if<Image*>(&target)) {
    Image& i = **image;
    if (event != "mouseDown" && event != "mouseUp" && event != "press") noEvent(name, event);
    const MouseButton mouse = mouseButtonOf(request);
    const auto x = static_cast<float>(request.integerOr("x", 0, 1 << 20, 0));
    const auto y = static_cast<float>(request.integerOr("y", 0, 1 << 20, 0));
    if (event != "mouseUp") w.imageMouseDown(i, mouse, shift, x, y);
    if (event != "mouseDown") w.imageMouseUp(i, mouse, shift, x, y);
    return;
  }
  if (auto* grid = std::get_if<FlexGrid*>(&target)) {
    FlexGrid& g = **grid;
    if (event == "select") {
      g.setRow(row());
      if (request.has("rowSel"))
        g.setRowSel(static_cast<int>(request.integer("rowSel", -1, 1 << 20)));
      return;
    }
    if (&g == &w.mfgList) {
      if (event == "mouseDown") return w.mfgList_MouseDown(mouseButtonOf(request), shift, row());
      if (event == "dblClick") return w.mfgList_DblClick();
    }
    if (&g == &w.mfgTask) {
      // A click on a task row selects it first, as the grid does; the header row selects nothing.
      if (event == "click") {
        const int at = row();
        if (at >= g.FixedRows()) g.setRow(at);
        return w.mfgTask_Click(at);
      }
      if (event == "mouseUp") return w.mfgTask_MouseUp(mouseButtonOf(request), shift, row());
      if (event == "key") return w.mfgTask_KeyPress(keyAsciiOf(request));
    }
    if (&g == &w.mfgCurrent) {
      if (event == "dblClick") return w.mfgCurrent_DblClick();
      if (event == "key") return w.mfgCurrent_KeyPress(keyAsciiOf(request));
      if (event == "mouseMove") return w.mfgCurrent_MouseMove(row());
      if (event == "dragOver") return w.mfgCurrent_DragOver(row());
      if (event == "drop") {
        int at = row();
        w.mfgCurrent_DragOver(at);
        return w.mfgCurrent_DragDrop(at);
      }
    }
    noEvent(name, event);
  }
  if (auto* box = std::get_if<TextBox*>(&target)) {
    if (event != "type") noEvent(name, event);
    (*box)->text = request.text("text");
    return;
  }
  if (auto* combo = std::get_if<ComboBox*>(&target)) {
    if (event != "type" && event != "set") noEvent(name, event);
    (*combo)->text = request.has("text") ? request.text("text") : request.text("value");
    return;
  }
  if (auto* check = std::get_if<CheckBox*>(&target)) {
    if (event == "click") {
      (*check)->value = (*check)->value.get() == 0 ? 1 : 0;
    } else if (event == "set") {
      (*check)->value = static_cast<int>(request.integer("value", 0, 2));
    } else {
      noEvent(name, event);
    }
    return;
  }
  if (auto* slider = std::get_if<Slider*>(&target)) {
    if (event != "set") noEvent(name, event);
    (*slider)->value = static_cast<int>(request.integer("value", (*slider)->min, (*slider)->max));
    return;
  }
  if (auto* picker = std::get_if<DatePicker*>(&target)) {
    if (event != "set") noEvent(name, event);
    auto when = parseDateTime(request.text("value"));
    if (!when) refuse("\"value\" is a date and time \"yyyy-mm-dd hh:mm:ss\"");
    (*picker)->value = *when;
    return;
  }
  if (auto* tabs = std::get_if<TabControl*>(&target)) {
    if (event != "set" && event != "click") noEvent(name, event);
    int last = static_cast<int>((*tabs)->captions.size()) - 1;
    (*tabs)->tab = static_cast<int>(request.integer("value", 0, last));
    return;
  }
  if (auto* item = std::get_if<MenuItem*>(&target)) {
    if (event != "click") noEvent(name, event);
    MenuItem& m = **item;
    if (!m.enabled) return;
    if (!m.action) return unbound();
    m.action();
    return;
  }
  noEvent(name, event);
}

}  // namespace

Json automateWindow(Module& module, const Json& json) {
  Request request(json);
  Json notes = Json::array();
  Json result = nullptr;
  if (request.has("event")) {
    deliverEvent(windowOf(module), request, notes);
  } else if (request.has("dump")) {
    std::string what = request.text("dump");
    if (what == "window") {
      result = dumpWindow(module);
    } else if (what == "control") {
      result = describeControl(module, controlOf(windowOf(module), request));
    } else if (what == "controls") {
      result = Json::array();
      for (const ControlRef& control : windowControls(windowOf(module))) {
        result.push_back(
            Json{{"name", controlName(control)}, {"kind", std::string(controlKind(control))}});
      }
    } else if (what == "currentList") {
      result = dumpCurrentList(module);
    } else if (what == "serverState") {
      result =
          dumpServerState(module, static_cast<int32_t>(request.integer("index", 0, INT32_MAX)));
    } else if (what == "profile") {
      result = dumpProfile(module, static_cast<int32_t>(request.integer("index", 0, INT32_MAX)));
    } else {
      refuse("\"dump\" is window, control, controls, currentList, profile or serverState");
    }
  } else {
    refuse("an automation request has \"event\" or \"dump\"");
  }
  Json answer{{"result", result}};
  if (!notes.empty()) answer["notes"] = notes;
  return answer;
}

}  // namespace rotaryn
