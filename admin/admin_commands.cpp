#include "admin/admin_commands.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <array>
#include <ostream>
#include <stdexcept>
#include <variant>

#include "admin/admin_client.h"
#include "admin/history_command.h"
#include "admin/maps_view.h"
#include "admin/upload_body.h"
#include "formats/game_names.h"
#include "formats/task_dates.h"

namespace rotaryn::admin {
namespace {

constexpr const char* kDefaultHost = "http://127.0.0.1:8730";
constexpr size_t kMaxRotation = 255;  // entries a server rotation holds
constexpr int kEndWaitMs = 5000;      // how long a skip or score may take to end the game
constexpr int kPollMs = 200;

class UsageError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

struct Options {
  QString host = kDefaultHost;
  QString tokenFile;
  QString caFile;
  bool json = false;
  std::optional<QString> scores;
  std::optional<QString> since;
  QStringList words;
};

Options parseOptions(const QStringList& arguments) {
  Options options;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& word = arguments[i];
    auto value = [&]() -> QString {
      if (i + 1 >= arguments.size()) throw UsageError(word.toStdString() + " needs a value");
      return arguments[++i];
    };
    if (word == "--host") {
      options.host = value();
    } else if (word == "--token-file") {
      options.tokenFile = value();
    } else if (word == "--ca-file") {
      options.caFile = value();
    } else if (word == "--json") {
      options.json = true;
    } else if (word == "--scores") {
      options.scores = value();
    } else if (word == "--since") {
      options.since = value();
    } else if (word.startsWith("--")) {
      throw UsageError("unknown option " + word.toStdString());
    } else {
      options.words << word;
    }
  }
  return options;
}

int profileOf(const QString& text) {
  bool ok = false;
  const int profile = text.toInt(&ok);
  if (!ok || profile < 1) {
    throw UsageError("a profile is a whole number from 1, not \"" + text.toStdString() + "\"");
  }
  return profile;
}

// The words a command takes after its name: exactly `count`.
void expectWords(const Options& options, qsizetype count, const char* synopsis) {
  if (options.words.size() != count) throw UsageError(std::string("usage: ") + synopsis);
}

std::string base64(const std::string& bytes) {
  return QByteArray::fromStdString(bytes).toBase64().toStdString();
}

class Session {
 public:
  Session(const Options& options, QByteArray token, std::ostream& out, std::ostream& err)
      : options_(options), client_(QUrl(options.host), std::move(token)), out_(out), err_(err) {}

  bool trust(const QString& file) { return client_.addCaCertificates(file); }

  int run() {
    const QStringList& w = options_.words;
    const QString command = w.value(0);
    const QString sub = w.value(1);
    if (command == "profiles") {
      expectWords(options_, 1, "profiles");
      return profiles();
    }
    if (command == "history") {
      expectWords(options_, 2, "history P [--since yyyy-mm-dd]");
      return historyCommand(client_, profileOf(w[1]), options_.since, options_.json, out_, err_);
    }
    if (command == "maps" && sub == "show") {
      expectWords(options_, 3, "maps show P");
      return mapsShow(profileOf(w[2]));
    }
    if (command == "maps" && sub == "set") {
      if (w.size() != 3 && w.size() != 4) {
        throw UsageError("usage: maps set P [MAPLIST.mpl] [--scores TK,DM,FB]");
      }
      return mapsSet(profileOf(w[2]), w.size() == 4 ? std::optional<QString>(w[3]) : std::nullopt);
    }
    if (command == "skip" || command == "score") {
      expectWords(options_, 2, command == "skip" ? "skip P" : "score P");
      return endGame(profileOf(w[1]), command == "skip" ? "SkipMapRem" : "ScoreMapRem");
    }
    if (command == "play") {
      expectWords(options_, 3, "play P POS");
      bool ok = false;
      const int position = w[2].toInt(&ok);
      if (!ok || position < 0) throw UsageError("POS is a rotation position from 0");
      return change(profileOf(w[1]), "PlayMapRem", QJsonValue(position),
                    QString("map %1 of the rotation plays next").arg(position));
    }
    if (command == "task") return task();
    if (command == "file" && sub == "upload") {
      expectWords(options_, 4, "file upload P PATH");
      return upload(profileOf(w[2]), w[3]);
    }
    if (command == "file" && sub == "delete") {
      expectWords(options_, 4, "file delete P NAME");
      return change(profileOf(w[2]), "DeleteFileRem",
                    QString::fromStdString(base64(toWindows1252(w[3]))),
                    w[3] + " and its .til and .wac are deleted from the game folder");
    }
    if (command == "autoload") {
      expectWords(options_, 3, "autoload P 0|1");
      if (w[2] != "0" && w[2] != "1") throw UsageError("autoload is 0 or 1");
      return change(profileOf(w[1]), "SetAutoLoad", w[2], "autoload set to " + w[2], false);
    }
    if (command == "display-time") {
      expectWords(options_, 3, "display-time P 1..9");
      bool ok = false;
      const int value = w[2].toInt(&ok);
      if (!ok || value < 1 || value > 9) throw UsageError("display-time is 1 to 9 (units of 5 s)");
      return change(profileOf(w[1]), "SetDisplayTimer", w[2],
                    QString("display time set to %1 s").arg(value * 5), false);
    }
    throw UsageError(command.isEmpty() ? "no command given"
                                       : "unknown command \"" + w.join(' ').toStdString() + "\"");
  }

 private:
  int fail(const ApiAnswer& answer) {
    err_ << "rotaryn-admin: " << answer.problem.toStdString() << "\n";
    return answer.exitCode();
  }

  void printJson(const QJsonObject& object) {
    out_ << QJsonDocument(object).toJson(QJsonDocument::Indented).toStdString();
  }

  int profiles() {
    const ApiAnswer answer = client_.profiles();
    if (answer.kind != ApiAnswer::Kind::kAnswered) return fail(answer);
    if (options_.json) {
      printJson(answer.body);
      return kExitDone;
    }
    for (const QJsonValue& entry : answer.body.value("profiles").toArray()) {
      const QJsonObject p = entry.toObject();
      out_ << p.value("index").toInt() << "  " << p.value("folder").toString().toStdString() << "  "
           << p.value("serverType").toString().toStdString() << "  "
           << p.value("state").toString().toStdString() << "\n";
    }
    return kExitDone;
  }

  // The decoded GetMapsRem answer, or the exit code of why there is none.
  std::variant<formats::exchange::MapsAnswer, int> fetchMaps(int profile) {
    const ApiAnswer answer = client_.call(profile, "GetMapsRem");
    if (answer.kind != ApiAnswer::Kind::kAnswered) return fail(answer);
    const std::string text = answer.body.value("result").toString().toStdString();
    if (text.empty()) {
      err_ << "rotaryn-admin: the plug-in could not read the maps of profile " << profile << ": "
           << reasonOf(answer).toStdString() << "\n";
      return kExitFailed;
    }
    try {
      return formats::exchange::parseMapsAnswer(text);
    } catch (const formats::exchange::ExchangeError& error) {
      if (error.kind() == formats::exchange::ExchangeError::Kind::ServerNotRunning) {
        err_ << "rotaryn-admin: the server of profile " << profile << " is not running\n";
      } else {
        err_ << "rotaryn-admin: the maps answer cannot be read: " << error.what() << "\n";
      }
      return kExitFailed;
    }
  }

  int mapsShow(int profile) {
    auto maps = fetchMaps(profile);
    if (auto* code = std::get_if<int>(&maps)) return *code;
    const auto& answer = std::get<formats::exchange::MapsAnswer>(maps);
    if (options_.json) {
      printJson(mapsJson(answer));
    } else {
      out_ << mapsText(answer).toStdString();
    }
    return kExitDone;
  }

  int mapsSet(int profile, const std::optional<QString>& file) {
    if (!file && !options_.scores) {
      throw UsageError("maps set needs a map-list file, --scores TK,DM,FB, or both");
    }
    std::optional<std::array<int32_t, 3>> scores;
    if (options_.scores) {
      const QStringList parts = options_.scores->split(',');
      bool ok = parts.size() == 3;
      std::array<int32_t, 3> values{};
      for (qsizetype i = 0; ok && i < 3; ++i) {
        values[static_cast<size_t>(i)] = parts[i].trimmed().toInt(&ok);
        ok = ok && values[static_cast<size_t>(i)] >= 1;
      }
      if (!ok) throw UsageError("--scores is three limits from 1: TK,DM,FB");
      scores = values;
    }
    std::string listText;
    if (file) {
      QFile input(*file);
      if (!input.open(QIODevice::ReadOnly)) {
        err_ << "rotaryn-admin: cannot read " << file->toStdString() << ": "
             << input.errorString().toStdString() << "\n";
        return kExitFailed;
      }
      listText = input.readAll().toStdString();
    }

    auto maps = fetchMaps(profile);
    if (auto* code = std::get_if<int>(&maps)) return *code;
    const auto& current = std::get<formats::exchange::MapsAnswer>(maps);
    formats::exchange::NewRotation rotation{current.settings.kothLimit, current.settings.killLimit,
                                            current.settings.gameScoreLimit, current.rotation};
    if (scores) {
      rotation.kothLimit = (*scores)[0];
      rotation.killLimit = (*scores)[1];
      rotation.gameScoreLimit = (*scores)[2];
    }
    if (file) {
      std::vector<std::string> problems;
      rotation.rotation = readMapList(listText, current.catalogue, problems);
      for (const std::string& problem : problems) {
        err_ << "rotaryn-admin: " << file->toStdString() << ": "
             << fromWindows1252(problem).toStdString() << "\n";
      }
      if (!problems.empty() || rotation.rotation.empty()) {
        err_ << "rotaryn-admin: nothing was sent; " << file->toStdString()
             << (problems.empty() ? " lists no map" : " names maps the server does not have")
             << "; the server keeps its rotation of " << current.rotation.size() << " maps\n";
        return kExitFailed;
      }
      if (rotation.rotation.size() > kMaxRotation) {
        err_ << "rotaryn-admin: nothing was sent; " << file->toStdString() << " lists "
             << rotation.rotation.size() << " maps and a server rotation holds at most "
             << kMaxRotation << "; the server keeps its rotation of " << current.rotation.size()
             << " maps\n";
        return kExitFailed;
      }
    }
    const ApiAnswer answer =
        client_.call(profile, "SetMapsRem",
                     QString::fromStdString(formats::exchange::buildSetMapsData(rotation)));
    if (answer.kind != ApiAnswer::Kind::kAnswered) return fail(answer);
    if (options_.json) printJson(answer.body);
    printReports(profile, answer);
    // The plug-in's 1 says it wrote the list, not that the server took it: read it back.
    auto after = fetchMaps(profile);
    if (auto* code = std::get_if<int>(&after)) {
      err_ << "rotaryn-admin: profile " << profile
           << ": the rotation was sent but the server could not be read back, so it is not known "
              "to hold it\n";
      return *code == kExitDone ? kExitFailed : *code;
    }
    const RotationCheck check =
        checkRotation(rotation, current, std::get<formats::exchange::MapsAnswer>(after));
    const bool done = answer.body.value("done").toBool(answer.body.value("result").toInt() == 1);
    if (check.held && done) {
      if (!options_.json) out_ << "profile " << profile << ": " << check.text.toStdString() << "\n";
      return kExitDone;
    }
    err_ << "rotaryn-admin: profile " << profile << ": ";
    if (check.held) {
      // The limits are written whatever the game; the list only while one runs.
      err_ << "the server holds the rotation of " << rotation.rotation.size()
           << " maps and the limits sent, but the plug-in did not apply the list (nor keep it "
              "for the next start): "
           << reasonOf(answer).toStdString() << "\n";
      return kExitFailed;
    }
    err_ << check.text.toStdString();
    if (!done) err_ << "; the plug-in did not apply it: " << reasonOf(answer).toStdString();
    err_ << "\n";
    return kExitFailed;
  }

  // Skip or score: sent, then the server's game state read until the game has ended.
  int endGame(int profile, const char* operation) {
    const ApiAnswer before = client_.state(profile);
    const int changed = change(profile, operation, {}, QString(), true, true);
    if (changed != kExitDone) return changed;
    if (before.kind != ApiAnswer::Kind::kAnswered) {
      err_ << "rotaryn-admin: profile " << profile << ": " << operation
           << " was sent, but the server's state cannot be read to see the game end: "
           << before.problem.toStdString() << "\n";
      return kExitFailed;
    }
    const QJsonObject was = before.body.value("state").toObject();
    QJsonObject now = was;
    for (int waited = 0; waited <= kEndWaitMs; waited += kPollMs) {
      const ApiAnswer answer = client_.state(profile);
      if (answer.kind != ApiAnswer::Kind::kAnswered) return fail(answer);
      now = answer.body.value("state").toObject();
      const int state = now.value("state").toInt();
      if ((state != 2 && state != 3) || now.value("map") != was.value("map")) {
        if (!options_.json) {
          out_ << "profile " << profile << ": the server ended the game of "
               << was.value("map").toString().toStdString() << " (now "
               << formats::gameStateName(state) << ")\n";
        }
        return kExitDone;
      }
      QThread::msleep(kPollMs);
    }
    err_ << "rotaryn-admin: profile " << profile << ": " << operation
         << " was sent, but the server did not end the game within " << kEndWaitMs / 1000
         << " s (still " << formats::gameStateName(now.value("state").toInt()) << ", "
         << now.value("map").toString().toStdString() << "): the server may be stopped or hung\n";
    return kExitFailed;
  }

  // The plug-in's reports during the call, when it made any (a failure it trapped, a message).
  void printReports(int profile, const ApiAnswer& answer) {
    for (const QJsonValue& report : answer.body.value("reports").toArray()) {
      err_ << "rotaryn-admin: profile " << profile
           << ": the plug-in reported: " << report.toString().toStdString() << "\n";
    }
  }

  static QString reasonOf(const ApiAnswer& answer) {
    const QString message = answer.body.value("message").toString();
    return message.isEmpty() ? QString("the plug-in answered 0 and the host gave no reason")
                             : message;
  }

  int task() {
    const QStringList& w = options_.words;
    const QString sub = w.value(1);
    auto text = [](const QString& word) { return toWindows1252(word); };
    if (sub == "add") {
      expectWords(options_, 7, "task add P DATE TIME FILE FREQUENCY");
      const std::string section = taskSection(text(w[3]), text(w[4]));
      const std::string data = section + "|" + text(w[5]) + "|" + taskFrequency(text(w[6]));
      return change(profileOf(w[2]), "AddTaskRem", QString::fromStdString(base64(data)),
                    "task " + QString::fromStdString(section) + " added");
    }
    if (sub == "edit") {
      expectWords(options_, 9, "task edit P DATE TIME NEW_DATE NEW_TIME FILE FREQUENCY");
      const std::string old = taskSection(text(w[3]), text(w[4]));
      const std::string now = taskSection(text(w[5]), text(w[6]));
      const std::string data = old + "|" + now + "|" + text(w[7]) + "|" + taskFrequency(text(w[8]));
      return change(profileOf(w[2]), "EditTaskRem", QString::fromStdString(base64(data)),
                    "task " + QString::fromStdString(now) + " saved");
    }
    if (sub == "delete") {
      expectWords(options_, 5, "task delete P DATE TIME");
      const std::string section = taskSection(text(w[3]), text(w[4]));
      const int profile = profileOf(w[2]);
      auto maps = fetchMaps(profile);
      if (auto* code = std::get_if<int>(&maps)) return *code;
      const auto& tasks = std::get<formats::exchange::MapsAnswer>(maps).tasks;
      const bool listed = !tasks.empty();
      if (listed &&
          std::none_of(tasks.begin(), tasks.end(), [&section](const formats::exchange::Task& t) {
            return t.section == section;
          })) {
        err_ << "rotaryn-admin: profile " << profile << ": there is no task at " << section
             << "; nothing was deleted\n";
        return kExitFailed;
      }
      return change(profile, "DeleteTaskRem", fromWindows1252(section),
                    "task " + QString::fromStdString(section) +
                        (listed ? " deleted"
                                : " deleted if it was there (the profile lists no tasks: "
                                  "it has none, or one, which is not listed)"));
    }
    throw UsageError("usage: task add|edit|delete P ...");
  }

  int upload(int profile, const QString& path) {
    QFile input(path);
    if (!input.open(QIODevice::ReadOnly)) {
      err_ << "rotaryn-admin: cannot read " << path.toStdString() << ": "
           << input.errorString().toStdString() << "\n";
      return kExitFailed;
    }
    const QString name = QFileInfo(path).fileName();
    UploadBody body(toWindows1252(name), input.readAll());
    return change(profile, "AddFileRem", std::nullopt, name + " is written into the game folder",
                  true, false, &body);
  }

  // An operation that changes something: the plug-in answers 1 when it did, 0 when not
  // (resultMeansDone false: the operation answers 0 in every case).
  // (quiet: nothing printed when it was done; the caller goes on to check what it did.)
  int change(int profile, const char* operation, const std::optional<QJsonValue>& data,
             const QString& done, bool resultMeansDone = true, bool quiet = false,
             QIODevice* body = nullptr) {
    const ApiAnswer answer =
        body ? client_.call(profile, operation, *body) : client_.call(profile, operation, data);
    if (answer.kind != ApiAnswer::Kind::kAnswered) return fail(answer);
    if (options_.json) printJson(answer.body);
    printReports(profile, answer);
    if (resultMeansDone && answer.body.value("result").toInt() != 1) {
      err_ << "rotaryn-admin: profile " << profile << ": " << operation
           << " was not done: " << reasonOf(answer).toStdString() << "\n";
      return kExitFailed;
    }
    if (!options_.json && !quiet) {
      out_ << "profile " << profile << ": " << done.toStdString() << "\n";
    }
    return kExitDone;
  }

  const Options& options_;
  ApiClient client_;
  std::ostream& out_;
  std::ostream& err_;
};

}  // namespace

std::string taskSection(const std::string& date, const std::string& time) {
  if (formats::taskDateProblem(date) != formats::TaskTextProblem::None) {
    throw UsageError("a task's date is dd/mm/yyyy, not \"" + date + "\"");
  }
  if (formats::taskTimeProblem(time) != formats::TaskTextProblem::None) {
    throw UsageError("a task's time is hh:mm:ss (24-hour), not \"" + time + "\"");
  }
  return date + " " + time;
}

std::string taskFrequency(const std::string& text) {
  if (auto frequency = formats::taskFrequency(text, true)) return std::string(*frequency);
  // Once, "Every Day", "Every Week" or "Every Month": the names with a blank in quotes.
  std::string names;
  for (size_t i = 0; i < formats::kTaskFrequencies.size(); ++i) {
    const std::string name(formats::kTaskFrequencies[i]);
    names += i == 0 ? "" : i + 1 == formats::kTaskFrequencies.size() ? " or " : ", ";
    names += name.find(' ') == std::string::npos ? name : "\"" + name + "\"";
  }
  throw UsageError("a task's frequency is " + names + ", not \"" + text + "\"");
}

std::optional<QByteArray> tokenIn(const QByteArray& text) {
  // The last line of one word: the token alone, or --add-admin's whole output kept in the file.
  const QList<QByteArray> lines = text.split('\n');
  for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
    const QByteArray word = line->trimmed();
    if (word.isEmpty()) continue;
    if (std::none_of(word.begin(), word.end(), [](char c) { return c == ' ' || c == '\t'; })) {
      return word;
    }
  }
  return std::nullopt;
}

std::string adminHelp() {
  return "rotaryn-admin: the remote administrator's tool for a Rotaryn host.\n\n"
         "  rotaryn-admin [--host URL] [--token-file FILE] [--ca-file PEM] [--json] COMMAND\n\n"
         "Commands (P is a profile index):\n"
         "  profiles                               the profiles you may touch\n"
         "  maps show P                            settings, maps, rotation and tasks\n"
         "  maps set P [MAPLIST.mpl] [--scores TK,DM,FB]\n"
         "                                         a new rotation (default: the current one)\n"
         "  skip P | score P | play P POS          the running game\n"
         "  task add P DATE TIME FILE FREQUENCY    e.g. 25/12/2026 20:00:00 mylist.mpl \"Every "
         "Day\"\n"
         "  task edit P DATE TIME NEW_DATE NEW_TIME FILE FREQUENCY\n"
         "  task delete P DATE TIME\n"
         "  file upload P PATH | file delete P NAME   custom map files in the game folder\n"
         "  autoload P 0|1 | display-time P 1..9\n"
         "  history P [--since yyyy-mm-dd]         the games played, from that date to today\n\n"
         "--host defaults to " +
         std::string(kDefaultHost) +
         "; the token comes from --token-file or ROTARYN_TOKEN.\n"
         "Exit status: 0 done, 1 not done or failed, 2 usage, 3 refused by the host, 4 host "
         "unreachable.\n";
}

int runAdmin(const QStringList& arguments, std::ostream& out, std::ostream& err,
             const std::function<std::optional<std::string>(const char*)>& environment) {
  if (arguments.contains("--help") || arguments.contains("-h")) {
    out << adminHelp();
    return kExitDone;
  }
  try {
    const Options options = parseOptions(arguments);
    QByteArray token;
    if (!options.tokenFile.isEmpty()) {
      QFile file(options.tokenFile);
      if (!file.open(QIODevice::ReadOnly)) {
        err << "rotaryn-admin: cannot read the token file " << options.tokenFile.toStdString()
            << ": " << file.errorString().toStdString() << "\n";
        return kExitUsage;
      }
      auto found = tokenIn(file.readAll());
      if (!found) {
        throw UsageError("the token file " + options.tokenFile.toStdString() +
                         " holds no token (a line with the 64 hex digits --add-admin printed)");
      }
      token = *found;
    } else if (auto fromEnvironment = environment("ROTARYN_TOKEN")) {
      token = QByteArray::fromStdString(*fromEnvironment).trimmed();
    }
    if (token.isEmpty()) {
      throw UsageError("no token: give --token-file FILE or set ROTARYN_TOKEN");
    }
    const QUrl host(options.host);
    if (!host.isValid() || (host.scheme() != "http" && host.scheme() != "https")) {
      throw UsageError("--host is an http:// or https:// URL, not \"" + options.host.toStdString() +
                       "\"");
    }
    Session session(options, token, out, err);
    if (!options.caFile.isEmpty() && !session.trust(options.caFile)) {
      throw UsageError("--ca-file " + options.caFile.toStdString() + " holds no PEM certificate");
    }
    return session.run();
  } catch (const std::invalid_argument& error) {
    err << "rotaryn-admin: " << error.what() << " (rotaryn-admin --help)\n";
    return kExitUsage;
  }
}

}  // namespace rotaryn::admin
