#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "formats/civil_time.h"
#include "rotaryn/twk_rotaryn.h"

namespace rotaryn::host {

// What the host hands the plug-in, as C++ interfaces the host's modes implement (Qt or virtual
// time, console, window or scripted dialogs, real or simulated servers). PortTable turns them
// into the C structure of the plug-in's interface. All run on the UI thread.

using LocalTime = formats::CivilTime;

class HostClock {
 public:
  virtual ~HostClock() = default;
  virtual LocalTime now() const = 0;
  virtual int64_t monotonicMs() const = 0;
};

// Repeating timers by (name, index): start (re)arms one to tick every interval from now.
class HostTimers {
 public:
  using Tick = std::function<void()>;
  virtual ~HostTimers() = default;
  virtual void start(const std::string& name, int index, int intervalMs, Tick tick) = 0;
  virtual void stop(const std::string& name, int index) = 0;
};

class HostPump {
 public:
  virtual ~HostPump() = default;
  virtual void doEvents() = 0;
  virtual void sleep(int milliseconds) = 0;
};

struct FileDialogAsk {
  bool save = false;
  QString title, filter, initialDir, defaultExt;  // the folder and the answer are Windows paths
};

class HostDialogs {
 public:
  virtual ~HostDialogs() = default;
  // buttons and the answer are TWK_ROTARYN_BUTTONS_* and TWK_ROTARYN_ANSWER_*.
  virtual int messageBox(const QString& text, const QString& title, int buttons) = 0;
  virtual std::optional<QString> fileDialog(const FileDialogAsk& ask) = 0;
  virtual void setBusy(bool busy) = 0;
};

// Server memory the host serves itself (simulated servers); returns 0 or a VB error number
// with the message in `error`.
class HostMemory {
 public:
  virtual ~HostMemory() = default;
  virtual int read(int32_t pid, uint32_t address, void* out, uint32_t size, std::string& error) = 0;
  virtual int write(int32_t pid, uint32_t address, const void* in, uint32_t size,
                    std::string& error) = 0;
};

// Asked before a console command goes to a profile's server: nullopt lets it go, a text refuses.
using ConsoleGate =
    std::function<std::optional<std::string>(int32_t profileIndex, const std::string& command)>;

// The plug-in's port structure over the host's objects, which must outlive it.
class PortTable {
 public:
  PortTable(HostClock& clock, HostTimers& timers, HostPump& pump, HostDialogs& dialogs,
            HostMemory* memory = nullptr, ConsoleGate gate = {});
  PortTable(const PortTable&) = delete;
  PortTable& operator=(const PortTable&) = delete;

  const twkRotarynHostPorts& ports() const { return ports_; }

  HostClock& clock;
  HostTimers& timers;
  HostPump& pump;
  HostDialogs& dialogs;
  HostMemory* memory;
  ConsoleGate gate;
  // Told of every box the plug-in shows (title, text) before the dialogs show it.
  std::function<void(const QString& title, const QString& text)> boxShown;
  // Told of every event the plug-in reports (profile, name, detail as JSON text).
  std::function<void(int32_t profile, const char* name, const char* detail)> eventReported;

 private:
  twkRotarynHostPorts ports_{};
};

// Message-box buttons and answers by name, for consoles and transcripts.
QString buttonsName(int buttons);
QString answerName(int answer);
std::optional<int> answerNamed(const QString& name);
// The answers a box offers, first one first.
std::vector<int> answersOffered(int buttons);

}  // namespace rotaryn::host
