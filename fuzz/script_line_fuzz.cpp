// The script mode over any lines, without a plug-in (its library is missing, so a line that
// needs it stops the run). Each run lays out a fresh root under a temporary folder of this
// process: it ends with one of the documented exit codes, a transcript of JSON objects ending in
// the summary, and nothing left behind outside the root, which it removes.
#include <stdlib.h>
#include <unistd.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "host/script/runner.h"

namespace {

namespace fs = std::filesystem;

// The temporary folder every run's root goes into, this process's own.
const fs::path& scratch() {
  static const fs::path folder = [] {
    std::string pattern = (fs::temp_directory_path() / "rotaryn-fuzz-script-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    ::setenv("TMPDIR", pattern.c_str(), 1);
    std::atexit([] {
      std::error_code ignored;
      fs::remove_all(scratch(), ignored);
    });
    return fs::path(pattern);
  }();
  return folder;
}

QCoreApplication& application() {
  static int argc = 1;
  static char name[] = "fuzz_script_line";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  return app;
}

// Lines the target leaves out because they are allowed to reach outside the root or to take
// long by design: a profile's own GameFolder (any folder of the machine) and long advances.
bool tooWide(const std::string& script) {
  std::istringstream in(script);
  std::string line;
  while (std::getline(in, line)) {
    const QJsonObject object = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
    const QString op = object.value("op").toString();
    if (op == "profile") {
      for (const QString& key : object.keys()) {
        if (key.compare("GameFolder", Qt::CaseInsensitive) == 0) return true;
      }
    }
    if (op == "advance" &&
        object.value("ms").toDouble() + object.value("seconds").toDouble() * 1000 > 600000) {
      return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace rotaryn::host;
  application();
  const fs::path& folder = scratch();
  const std::string script(reinterpret_cast<const char*>(data), size);
  if (size > 4096 || tooWide(script)) return 0;

  std::istringstream in(script);
  std::ostringstream transcript;
  std::ostringstream errors;
  ScriptOptions options;
  options.scriptName = "fuzz.jsonl";
  options.pluginLibrary = (folder / "no-plugin" / "twkRotaryn.so").string();
  const int code = runScript(in, options, transcript, errors);
  if (code != kScriptPassed && code != kScriptExpectationFailed && code != kScriptStopped) {
    std::fprintf(stderr, "exit code %d: %s\n", code, errors.str().c_str());
    std::abort();
  }
  std::istringstream lines(transcript.str());
  std::string line;
  QJsonObject last;
  while (std::getline(lines, line)) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) std::abort();
    last = document.object();
  }
  if (!last.contains("summary")) std::abort();
  // The root is gone and nothing else was made beside it.
  if (!fs::is_empty(folder)) {
    for (const auto& entry : fs::directory_iterator(folder)) {
      std::fprintf(stderr, "left behind: %s\n", entry.path().c_str());
    }
    std::abort();
  }
  return 0;
}
