#include "plugin/host_ports.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "formats/windows_1252.h"
#include "platform/vb_error.h"
#include "plugin/json_values.h"

namespace rotaryn {
namespace {

constexpr size_t kPathBuffer = 4096;

void require(bool present, const char* port) {
  if (!present) throw std::invalid_argument(std::string("the host gave no ") + port + " port");
}

std::string utf8(const std::string& text) {
  return formats::utf8FromWindows1252(text);
}

int32_t buttonsCode(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok:
      return TWK_ROTARYN_BUTTONS_OK;
    case MessageButtons::OkCancel:
      return TWK_ROTARYN_BUTTONS_OK_CANCEL;
    case MessageButtons::YesNoCancel:
      return TWK_ROTARYN_BUTTONS_YES_NO_CANCEL;
    case MessageButtons::YesNo:
      return TWK_ROTARYN_BUTTONS_YES_NO;
  }
  return TWK_ROTARYN_BUTTONS_OK;
}

// An answer the box did not offer counts as closing it: Cancel where there is one, else the
// first button (a Yes/No box closed by its window counts as No, as Windows does).
MessageAnswer answerOf(int32_t code, MessageButtons buttons) {
  switch (code) {
    case TWK_ROTARYN_ANSWER_YES:
      if (buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel)
        return MessageAnswer::Yes;
      break;
    case TWK_ROTARYN_ANSWER_NO:
      if (buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel)
        return MessageAnswer::No;
      break;
    case TWK_ROTARYN_ANSWER_CANCEL:
      if (buttons == MessageButtons::OkCancel || buttons == MessageButtons::YesNoCancel)
        return MessageAnswer::Cancel;
      break;
    case TWK_ROTARYN_ANSWER_OK:
      if (buttons == MessageButtons::Ok || buttons == MessageButtons::OkCancel)
        return MessageAnswer::Ok;
      break;
    default:
      break;
  }
  switch (buttons) {
    case MessageButtons::Ok:
      return MessageAnswer::Ok;
    case MessageButtons::YesNo:
      return MessageAnswer::No;
    default:
      return MessageAnswer::Cancel;
  }
}

}  // namespace

HostPorts::HostPorts(const twkRotarynHostPorts& ports) : ports_{} {
  if (ports.size < TWK_ROTARYN_HOST_PORTS_MIN_SIZE) {
    throw std::invalid_argument("the host's port table is smaller than this plug-in's");
  }
  std::memcpy(&ports_, &ports, std::min<size_t>(ports.size, sizeof ports_));
  require(ports_.localNow && ports_.monotonicMs, "clock");
  require(ports_.timerStart && ports_.timerStop, "timers");
  require(ports_.doEvents && ports_.sleepMs, "event pump");
  require(ports_.messageBox && ports_.fileDialog && ports_.setBusy, "dialogs");
  require((ports_.readMemory == nullptr) == (ports_.writeMemory == nullptr),
          "pair of memory (read and write come together)");
}

HostPorts::~HostPorts() {
  destroyAll();
}

DateTime HostPorts::now() const {
  twkRotarynDateTime t{};
  ports_.localNow(ports_.context, &t);
  return DateTime{t.year, t.month, t.day, t.hour, t.minute, t.second};
}

int64_t HostPorts::monotonicMs() const {
  return ports_.monotonicMs(ports_.context);
}

void HostPorts::sync(const std::string& name, int index) {
  if (timers_.isRunning(name, index) && timers_.interval(name, index) > 0) {
    ports_.timerStart(ports_.context, name.c_str(), index, timers_.interval(name, index),
                      &HostPorts::tickFromHost, this);
  } else {
    ports_.timerStop(ports_.context, name.c_str(), index);
  }
}

void HostPorts::tickFromHost(void* context, const char* name, int32_t index) {
  auto* self = static_cast<HostPorts*>(context);
  // Held while it runs: the tick may destroy its own timer.
  TimerTable::TimerPtr timer = self->timers_.timer(name, index);
  if (!timer || !timer->running || !timer->tick) return;
  try {
    timer->tick();
  } catch (...) {
    // The plug-in's ticks trap their own failures; nothing may unwind into the host.
  }
}

void HostPorts::create(const std::string& name, int index, Tick tick) {
  timers_.create(name, index, std::move(tick));
}

bool HostPorts::exists(const std::string& name, int index) const {
  return timers_.exists(name, index);
}

void HostPorts::setInterval(const std::string& name, int index, int intervalMs) {
  timers_.setInterval(name, index, intervalMs, 0);
  sync(name, index);
}

void HostPorts::start(const std::string& name, int index) {
  // Enabling an enabled timer changes nothing, as in VB: its wake-up keeps its phase.
  if (timers_.isRunning(name, index)) return;
  timers_.start(name, index, 0);
  sync(name, index);
}

void HostPorts::stop(const std::string& name, int index) {
  timers_.stop(name, index);
  sync(name, index);
}

int HostPorts::interval(const std::string& name, int index) const {
  return timers_.interval(name, index);
}

bool HostPorts::isRunning(const std::string& name, int index) const {
  return timers_.isRunning(name, index);
}

void HostPorts::destroy(const std::string& name, int index) {
  if (!timers_.exists(name, index)) return;
  ports_.timerStop(ports_.context, name.c_str(), index);
  timers_.destroy(name, index);
}

void HostPorts::destroyAll() {
  for (const auto& [name, index] : timers_.keys()) destroy(name, index);
}

void HostPorts::doEvents() {
  ports_.doEvents(ports_.context);
}

void HostPorts::sleep(int milliseconds) {
  ports_.sleepMs(ports_.context, milliseconds);
}

MessageAnswer HostPorts::messageBox(const std::string& text, const std::string& title,
                                    MessageButtons buttons) {
  int32_t code = ports_.messageBox(ports_.context, utf8(text).c_str(), utf8(title).c_str(),
                                   buttonsCode(buttons));
  return answerOf(code, buttons);
}

std::optional<std::string> HostPorts::fileDialog(bool save, const FileDialogRequest& request) {
  std::string path(kPathBuffer, '\0');
  int32_t chosen = ports_.fileDialog(ports_.context, save ? 1 : 0, utf8(request.title).c_str(),
                                     utf8(request.filter).c_str(), utf8(request.initialDir).c_str(),
                                     utf8(request.defaultExt).c_str(), path.data(), path.size());
  if (chosen != 1) return std::nullopt;
  path.back() = '\0';
  return fromJsonText(path.c_str(), '?');
}

std::optional<std::string> HostPorts::openFile(const FileDialogRequest& request) {
  return fileDialog(false, request);
}

std::optional<std::string> HostPorts::saveFile(const FileDialogRequest& request) {
  return fileDialog(true, request);
}

void HostPorts::setBusy(bool busy) {
  ports_.setBusy(ports_.context, busy ? 1 : 0);
}

int HostPorts::twipsPerPixelX() const {
  if (ports_.twipsPerPixelX == nullptr) return kDefaultTwipsPerPixel;
  const int32_t twips = ports_.twipsPerPixelX(ports_.context);
  return twips > 0 ? twips : kDefaultTwipsPerPixel;
}

int HostPorts::twipsPerPixelY() const {
  if (ports_.twipsPerPixelY == nullptr) return twipsPerPixelX();
  const int32_t twips = ports_.twipsPerPixelY(ports_.context);
  return twips > 0 ? twips : twipsPerPixelX();
}

void HostPorts::report(int32_t profile, const std::string& name, const EventFields& fields) {
  if (ports_.reportEvent == nullptr) return;
  Json detail = Json::object();
  for (const auto& [key, value] : fields) {
    if (const auto* text = std::get_if<std::string>(&value)) {
      detail[key] = utf8(*text);
    } else {
      detail[key] = std::get<int64_t>(value);
    }
  }
  ports_.reportEvent(ports_.context, profile, name.c_str(),
                     detail.dump(-1, ' ', false, Json::error_handler_t::replace).c_str());
}

}  // namespace rotaryn
