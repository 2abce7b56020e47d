#include "host/port_table.h"

#include <cstring>
#include <exception>
#include <vector>

namespace rotaryn::host {
namespace {

PortTable& self(void* context) {
  return *static_cast<PortTable*>(context);
}

void copyText(const std::string& text, char* buffer, size_t size) {
  if (size == 0) return;
  size_t count = std::min(text.size(), size - 1);
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
}

// A port must not unwind into the plug-in: a failure becomes the port's failure result.
template <class Body, class Result>
Result guarded(Body&& body, Result failed) {
  try {
    return body();
  } catch (...) {
    return failed;
  }
}

// The same for a port without a result: a failure is dropped.
template <class Body>
void guarded(Body&& body) {
  try {
    body();
  } catch (...) {
  }
}

// The clock, the timers and the event pump.
void wireTime(twkRotarynHostPorts& ports) {
  ports.localNow = [](void* c, twkRotarynDateTime* now) {
    LocalTime t = self(c).clock.now();
    *now = twkRotarynDateTime{t.year, t.month, t.day, t.hour, t.minute, t.second};
  };
  ports.monotonicMs = [](void* c) { return self(c).clock.monotonicMs(); };
  ports.timerStart = [](void* c, const char* name, int32_t index, int32_t intervalMs,
                        twkRotarynTick tick, void* tickContext) {
    std::string key = name;
    guarded([&] {
      self(c).timers.start(key, index, intervalMs, [tick, tickContext, key, index] {
        tick(tickContext, key.c_str(), index);
      });
    });
  };
  ports.timerStop = [](void* c, const char* name, int32_t index) {
    guarded([&] { self(c).timers.stop(name, index); });
  };
  ports.doEvents = [](void* c) { guarded([&] { self(c).pump.doEvents(); }); };
  ports.sleepMs = [](void* c, int32_t ms) { guarded([&] { self(c).pump.sleep(ms); }); };
}

// Message boxes, file dialogs and the busy cursor.
void wireDialogs(twkRotarynHostPorts& ports) {
  ports.messageBox = [](void* c, const char* text, const char* title, int32_t buttons) {
    return guarded(
        [&] {
          if (self(c).boxShown) self(c).boxShown(QString::fromUtf8(title), QString::fromUtf8(text));
          return self(c).dialogs.messageBox(QString::fromUtf8(text), QString::fromUtf8(title),
                                            buttons);
        },
        answersOffered(buttons).front());
  };
  ports.fileDialog = [](void* c, int32_t save, const char* title, const char* filter,
                        const char* initialDir, const char* defaultExt, char* path,
                        size_t pathSize) -> int32_t {
    return guarded(
        [&]() -> int32_t {
          FileDialogAsk ask{save != 0, QString::fromUtf8(title), QString::fromUtf8(filter),
                            QString::fromUtf8(initialDir), QString::fromUtf8(defaultExt)};
          std::optional<QString> chosen = self(c).dialogs.fileDialog(ask);
          if (!chosen) return 0;
          copyText(chosen->toStdString(), path, pathSize);
          return 1;
        },
        0);
  };
  ports.setBusy = [](void* c, int32_t busy) {
    guarded([&] { self(c).dialogs.setBusy(busy != 0); });
  };
}

// Reading and writing a server's memory.
void wireMemory(twkRotarynHostPorts& ports) {
  ports.readMemory = [](void* c, int32_t pid, uint32_t address, void* buffer, uint32_t length,
                        char* error, size_t errorSize) -> int32_t {
    std::string why;
    int number =
        guarded([&] { return self(c).memory->read(pid, address, buffer, length, why); }, 51);
    if (number != 0) copyText(why.empty() ? "the host could not read" : why, error, errorSize);
    return number;
  };
  ports.writeMemory = [](void* c, int32_t pid, uint32_t address, const void* buffer,
                         uint32_t length, char* error, size_t errorSize) -> int32_t {
    std::string why;
    int number =
        guarded([&] { return self(c).memory->write(pid, address, buffer, length, why); }, 51);
    if (number != 0) copyText(why.empty() ? "the host could not write" : why, error, errorSize);
    return number;
  };
}

// Console commands, each asked of the gate first.
void wireConsole(twkRotarynHostPorts& ports) {
  ports.consoleCommand = [](void* c, int32_t index, int32_t /*target*/, const char* command,
                            char* error, size_t errorSize) -> int32_t {
    std::optional<std::string> refused =
        guarded([&] { return self(c).gate(index, command); },
                std::optional<std::string>("the host failed to decide on the command"));
    if (!refused) return 0;
    copyText(*refused, error, errorSize);
    return 1;
  };
}

// The plug-in's events go to whoever listens (the metrics and the history).
void wireEvents(twkRotarynHostPorts& ports) {
  ports.reportEvent = [](void* c, int32_t profile, const char* name, const char* detail) {
    guarded([&] {
      if (self(c).eventReported) self(c).eventReported(profile, name, detail);
    });
  };
}

}  // namespace

PortTable::PortTable(HostClock& clock, HostTimers& timers, HostPump& pump, HostDialogs& dialogs,
                     HostMemory* memory, ConsoleGate gate)
    : clock(clock),
      timers(timers),
      pump(pump),
      dialogs(dialogs),
      memory(memory),
      gate(std::move(gate)) {
  ports_.size = sizeof ports_;
  ports_.context = this;
  wireTime(ports_);
  wireDialogs(ports_);
  if (memory != nullptr) wireMemory(ports_);
  if (this->gate) wireConsole(ports_);
  wireEvents(ports_);
}

QString buttonsName(int buttons) {
  switch (buttons) {
    case TWK_ROTARYN_BUTTONS_YES_NO:
      return "YesNo";
    case TWK_ROTARYN_BUTTONS_OK_CANCEL:
      return "OkCancel";
    case TWK_ROTARYN_BUTTONS_YES_NO_CANCEL:
      return "YesNoCancel";
    default:
      return "Ok";
  }
}

QString answerName(int answer) {
  switch (answer) {
    case TWK_ROTARYN_ANSWER_CANCEL:
      return "Cancel";
    case TWK_ROTARYN_ANSWER_YES:
      return "Yes";
    case TWK_ROTARYN_ANSWER_NO:
      return "No";
    default:
      return "Ok";
  }
}

std::optional<int> answerNamed(const QString& name) {
  for (int answer : {TWK_ROTARYN_ANSWER_OK, TWK_ROTARYN_ANSWER_CANCEL, TWK_ROTARYN_ANSWER_YES,
                     TWK_ROTARYN_ANSWER_NO}) {
    if (name.compare(answerName(answer), Qt::CaseInsensitive) == 0) return answer;
  }
  return std::nullopt;
}

std::vector<int> answersOffered(int buttons) {
  switch (buttons) {
    case TWK_ROTARYN_BUTTONS_YES_NO:
      return {TWK_ROTARYN_ANSWER_YES, TWK_ROTARYN_ANSWER_NO};
    case TWK_ROTARYN_BUTTONS_OK_CANCEL:
      return {TWK_ROTARYN_ANSWER_OK, TWK_ROTARYN_ANSWER_CANCEL};
    case TWK_ROTARYN_BUTTONS_YES_NO_CANCEL:
      return {TWK_ROTARYN_ANSWER_YES, TWK_ROTARYN_ANSWER_NO, TWK_ROTARYN_ANSWER_CANCEL};
    default:
      return {TWK_ROTARYN_ANSWER_OK};
  }
}

}  // namespace rotaryn::host
