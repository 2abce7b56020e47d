#include "ui/automation/window_automation.h"

#include <optional>
#include <type_traits>
#include <utility>

#include "catalogue/stock_catalogue.h"
#include "formats/game_names.h"
#include "memory/rotation_layout.h"
#include "memory/score_limits.h"
#include "memory/server_fields.h"
#include "platform/vb_error.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "plugin/registration.h"
#include "ui/automation/window_controls.h"
#include "ui/window_input.h"

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
  for (long i = 1; i <= list.maps.count(); ++i) {
    const CurrentMap& map = list.maps.item(i);
    entries.push_back(Json{{"name", jsonText(map.name)},
                           {"file", jsonText(map.file)},
                           {"type", jsonText(map.type)},
                           {"custom", jsonText(map.custom)}});
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

// The rotation part of what a host shows: its length, the entry playing (counted from 0, as
// PlayMapRem counts), that entry's mission file, and the map after it (wrapping).
void addRotation(Module& module, int32_t index, Json& out) {
  const int32_t header = readLong(module, index, "MapPointer");
  const int32_t count = readLongAt(module, index, header + rotation::kCountOffset);
  const int32_t position = readLongAt(module, index, header + rotation::kCurrentOffset);
  if (count <= 0 || count > rotation::kMaxRotation || position < 0) return;
  out["rotationLength"] = count;
  if (position < count) {
    out["position"] = position;
    const int32_t entry = header + rotation::kFirstEntryOffset + position * rotation::kEntrySize;
    out["mapFile"] = jsonText(vb::Trim(readTextAt(module, index, entry)));
  }
  const int32_t next = (position + 1) % count;
  out["nextPosition"] = next;
  out["nextMap"] =
      jsonText(vb::Trim(readText(module, index, "MapNameAdd", next * rotation::kSlotSize)));
}

// What a host shows of a profile's server: read through the memory component as the plug-in
// reads it, so a host needs no memory code of its own.
Json dumpServerState(Module& module, int32_t index) {
  int32_t state = readLong(module, index, "GameState");
  std::string map = readText(module, index, "CurMap");
  int32_t type = readLong(module, index, "GameType");
  std::string pack = serverResourcePack(module, index);
  const bool affiliate = module.profile(index).IsAffiliate;
  Json out{{"state", state},
           {"stateName", formats::gameStateName(state)},
           {"map", jsonText(map)},
           {"gameType", type},
           {"pack", jsonText(pack)},
           {"affiliate", affiliate},
           {"build", std::string(serverBuildName(affiliate))}};
  if (type >= 0 && type < static_cast<int32_t>(formats::kGameTypeNames.size())) {
    out["gameTypeName"] = std::string(formats::kGameTypeNames[static_cast<size_t>(type)]);
  }
  addRotation(module, index, out);
  // The affiliate build has no limit fields: null.
  const std::optional<ScoreLimits> limits = readScoreLimits(module, index);
  out["limits"] =
      limits
          ? Json{{"kills", limits->kills}, {"gameScore", limits->gameScore}, {"koth", limits->koth}}
          : Json();
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

std::optional<InputEvent> inputEventOf(const std::string& event) {
  static const std::pair<const char*, InputEvent> kEvents[] = {{"mouseDown", InputEvent::MouseDown},
                                                               {"mouseUp", InputEvent::MouseUp},
                                                               {"click", InputEvent::Click},
                                                               {"dblClick", InputEvent::DblClick},
                                                               {"key", InputEvent::Key},
                                                               {"mouseMove", InputEvent::MouseMove},
                                                               {"dragOver", InputEvent::DragOver},
                                                               {"drop", InputEvent::Drop}};
  for (const auto& [name, input] : kEvents) {
    if (event == name) return input;
  }
  return std::nullopt;
}

// The input a request describes; a grid event other than a double click or a key is at a row.
Input inputOf(const Request& request, InputEvent event, bool onGrid) {
  Input input{.event = event,
              .button = event == InputEvent::Click ? MouseButton::Left : mouseButtonOf(request),
              .shift = static_cast<int>(request.integerOr("shift", 0, 7, 0))};
  if (onGrid && event != InputEvent::DblClick && event != InputEvent::Key) {
    input.row = static_cast<int>(request.integer("row", -1, 1 << 20));
  }
  if (event == InputEvent::Key) input.keyAscii = keyAsciiOf(request);
  input.x = static_cast<float>(request.integerOr("x", 0, 1 << 20, 0));
  input.y = static_cast<float>(request.integerOr("y", 0, 1 << 20, 0));
  return input;
}

// What the operator sets rather than presses: a grid's selection, a box's text, a check box,
// slider, date picker or tab. False for any other event.
bool setProperty(const ControlRef& target, const std::string& event, const Request& request) {
  auto row = [&](const char* key) { return static_cast<int>(request.integer(key, -1, 1 << 20)); };
  if (auto* grid = std::get_if<FlexGrid*>(&target); grid && event == "select") {
    (*grid)->setRow(row("row"));
    if (request.has("rowSel")) (*grid)->setRowSel(row("rowSel"));
  } else if (auto* box = std::get_if<TextBox*>(&target); box && event == "type") {
    (*box)->text = request.text("text");
  } else if (auto* combo = std::get_if<ComboBox*>(&target);
             combo && (event == "type" || event == "set")) {
    (*combo)->text = request.has("text") ? request.text("text") : request.text("value");
  } else if (auto* check = std::get_if<CheckBox*>(&target); check && event == "click") {
    (*check)->value = (*check)->value.get() == 0 ? 1 : 0;
  } else if (check && event == "set") {
    (*check)->value = static_cast<int>(request.integer("value", 0, 2));
  } else if (auto* slider = std::get_if<Slider*>(&target); slider && event == "set") {
    (*slider)->value = static_cast<int>(request.integer("value", (*slider)->min, (*slider)->max));
  } else if (auto* picker = std::get_if<DatePicker*>(&target); picker && event == "set") {
    auto when = parseDateTime(request.text("value"));
    if (!when) refuse("\"value\" is a date and time \"yyyy-mm-dd hh:mm:ss\"");
    (*picker)->value = *when;
  } else if (auto* tabs = std::get_if<TabControl*>(&target);
             tabs && (event == "set" || event == "click")) {
    int last = static_cast<int>((*tabs)->captions.size()) - 1;
    (*tabs)->tab = static_cast<int>(request.integer("value", 0, last));
  } else {
    return false;
  }
  return true;
}

// Delivers one input event through the window's one routing (ui/window_input), as the Qt view
// does. "press" is a mouse down and up; a click on a button without a click of its own is a
// left press.
void deliverEvent(frmRotarynMaps& w, const Request& request) {
  const std::string event = request.text("event");
  ControlRef target = controlOf(w, request);
  const std::string name = controlName(target);
  if (setProperty(target, event, request)) return;
  Control& control = *std::visit([](auto* c) -> Control* { return c; }, target);
  const bool onGrid = std::holds_alternative<FlexGrid*>(target);
  const bool pressable = takesInput(control, InputEvent::MouseDown) && !onGrid;
  std::optional<InputEvent> input = inputEventOf(event);
  const bool button = std::holds_alternative<Button*>(target);
  if (event == "press" ||
      (input == InputEvent::Click && button && !takesInput(control, InputEvent::Click))) {
    if (!pressable) noEvent(name, event);
    Input press = inputOf(request, InputEvent::MouseDown, false);
    if (event != "press") press.button = MouseButton::Left;
    deliverInput(w, control, press);
    press.event = InputEvent::MouseUp;
    deliverInput(w, control, press);
    return;
  }
  if (!input || !deliverInput(w, control, inputOf(request, *input, onGrid))) noEvent(name, event);
}

}  // namespace

Json automateWindow(Module& module, const Json& json) {
  Request request(json);
  Json result = nullptr;
  if (request.has("event")) {
    deliverEvent(windowOf(module), request);
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
  return Json{{"result", result}};
}

}  // namespace rotaryn
