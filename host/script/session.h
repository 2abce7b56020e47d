#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <stdexcept>
#include <string>

#include "host/host_app.h"
#include "host/host_dialogs.h"
#include "host/script/simulated_servers.h"
#include "host/script/virtual_time.h"

namespace rotaryn::host {

// A line that cannot be done; the run stops there.
class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One line of a script: its JSON object, read through typed getters that say which key is wrong
// and why.
class ScriptLine {
 public:
  ScriptLine(QJsonObject object) : object_(std::move(object)) {}

  const QJsonObject& object() const { return object_; }
  QString op() const { return object_.value("op").toString(); }
  bool has(const char* key) const { return object_.contains(key); }
  QJsonValue value(const char* key) const { return object_.value(key); }

  QString text(const char* key) const;
  std::optional<QString> optText(const char* key) const;
  int64_t integer(const char* key, int64_t min, int64_t max) const;
  std::optional<int64_t> optInteger(const char* key, int64_t min, int64_t max) const;
  double number(const char* key) const;
  bool flag(const char* key, bool otherwise) const;
  QJsonObject objectAt(const char* key) const;

 private:
  QJsonObject object_;
};

// The address a script names a server field by: "Key", "Key+offset" or "0xADDRESS"; throws
// ScriptError for a key the server's build lacks.
uint32_t fieldAddress(const sim::ServerModel& server, const QString& field);

// The state of one script run and a handler per kind of line.
class ScriptSession {
 public:
  // pluginLibrary: the built plug-in, installed into the root when the first call needs it.
  ScriptSession(std::string rootPosix, std::string pluginLibrary, std::ostream& transcript);
  ~ScriptSession();

  // Does one line; throws ScriptError (or another std::exception) when it cannot.
  void execute(int lineNumber, const ScriptLine& line);
  int expectations() const { return expectations_; }
  int failedExpectations() const { return failed_; }
  // The script line the transcript's next objects belong to.
  void setLine(int lineNumber) { line_ = lineNumber; }
  // Writes one transcript object, "line" first.
  void record(const QJsonObject& object);
  void note(const std::string& text);

 private:
  // Setup and time (script_runner.cpp).
  void file(const ScriptLine& line);
  void server(const ScriptLine& line);
  void change(const ScriptLine& line);
  void kill(const ScriptLine& line);
  void profile(const ScriptLine& line);
  void answer(const ScriptLine& line);
  void advance(const ScriptLine& line);
  void clock(const ScriptLine& line);
  void pluginFolder(const ScriptLine& line);
  // Plug-in operations (script_calls.cpp).
  void call(const ScriptLine& line);
  // Window events (script_events.cpp).
  void windowEvent(const ScriptLine& line);
  // Observations (script_dumps.cpp).
  QJsonValue select(const ScriptLine& line);
  void dump(const ScriptLine& line);
  void expect(const ScriptLine& line);

  // The plug-in, installed and loaded on first use.
  PluginHandle& plugin();
  // A window automation request; its notes go to the transcript; throws ScriptError when the
  // plug-in cannot do it.
  QJsonValue automate(const QJsonObject& request);
  sim::ServerModel& simulated(int32_t pid);
  // Brings every simulated server up to the virtual time now.
  void syncServers();
  // A path under the root from the script's relative path; throws for an absolute one or "..".
  std::string rootPath(const QString& relative) const;
  std::string windowsPath(const QString& relative) const;
  // The same path found as the plug-in finds files, without regard to case; as given when
  // nothing matches.
  std::string foundPath(const QString& relative) const;

  QJsonValue dumpServer(const ScriptLine& line);
  QJsonValue dumpFile(const ScriptLine& line);
  QJsonValue dumpProfile(const ScriptLine& line);

  std::string root_;
  std::ostream& transcript_;
  int line_ = 0;
  std::string pluginLibrary_;
  std::string pluginFolder_ = "Plugins";
  VirtualTime time_;
  ScriptDialogs dialogs_;
  SimulatedServers servers_;
  std::set<int32_t> pids_;  // simulated servers created, alive or not
  HostApp host_;
  QJsonValue lastResult_;
  int expectations_ = 0;
  int failed_ = 0;
};

}  // namespace rotaryn::host
