#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/adapters/timer_table.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/event_pump.h"
#include "platform/game_events.h"
#include "platform/screen.h"
#include "platform/timers.h"
#include "rotaryn/twk_rotaryn.h"

namespace rotaryn {

// The core's clock, timers, event pump, dialogs and screen over the ports a host hands the
// plug-in through the C interface. Text crosses as UTF-8; the core's is Windows-1252.
class HostPorts final : public Clock,
                        public Timers,
                        public EventPump,
                        public Dialogs,
                        public Screen,
                        public GameEvents {
 public:
  // The host's structure is copied; one that is too small or lacks a required port is refused
  // with std::invalid_argument naming what is missing. Optional ports past the end of an older
  // host's structure count as not given.
  explicit HostPorts(const twkRotarynHostPorts& ports);
  ~HostPorts() override;

  const twkRotarynHostPorts& raw() const { return ports_; }

  DateTime now() const override;
  int64_t monotonicMs() const override;

  // Timers as timers.h says (360 for a second create, 340 for a missing one). The bookkeeping
  // is ours; the host only arms and disarms repeating wake-ups.
  void create(const std::string& name, int index, Tick tick) override;
  bool exists(const std::string& name, int index) const override;
  void setInterval(const std::string& name, int index, int intervalMs) override;
  void start(const std::string& name, int index) override;
  void stop(const std::string& name, int index) override;
  int interval(const std::string& name, int index) const override;
  bool isRunning(const std::string& name, int index) const override;
  void destroy(const std::string& name, int index) override;
  void destroyAll() override;

  void doEvents() override;
  void sleep(int milliseconds) override;

  MessageAnswer messageBox(const std::string& text, const std::string& title,
                           MessageButtons buttons) override;
  std::optional<std::string> openFile(const FileDialogRequest& request) override;
  std::optional<std::string> saveFile(const FileDialogRequest& request) override;
  void setBusy(bool busy) override;

  // The host's answer when it gives one above 0, else a 96-dpi screen's; down the screen, the
  // answer across unless the host gives its own.
  int twipsPerPixelX() const override;
  int twipsPerPixelY() const override;

  // The event as a JSON object to the host's reportEvent port; nothing when it has none.
  void report(int32_t profile, const std::string& name, const EventFields& fields) override;
  bool hasEventPort() const { return ports_.reportEvent != nullptr; }

 private:
  // Arms the host's wake-up when the timer runs with an interval, else disarms it.
  void sync(const std::string& name, int index);
  static void tickFromHost(void* context, const char* name, int32_t index);
  std::optional<std::string> fileDialog(bool save, const FileDialogRequest& request);

  twkRotarynHostPorts ports_;
  formats::KeyedTimers keyed_;
  TimerTable timers_{keyed_};  // the VB timer semantics; the host only arms and disarms wake-ups
};

}  // namespace rotaryn
