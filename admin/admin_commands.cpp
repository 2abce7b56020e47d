#include "admin/admin_commands.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <array>
#include <ostream>
#include <stdexcept>
#include <variant>

#include "admin/admin_client.h"
#include "admin/command_line.h"
#include "admin/history_command.h"
#include "admin/maps_view.h"
#include "admin/session.h"
#include "admin/status_command.h"
#include "admin/upload_body.h"
#include "formats/base64.h"
#include "formats/game_names.h"
#include "formats/task_dates.h"

namespace rotaryn::admin {
namespace {

constexpr size_t kMaxRotation = 255;  // entries a server rotation holds
constexpr int kEndWaitMs = 5000;      // how long a skip or score may take to end the game
constexpr int kPollMs = 200;

using formats::exchange::MapsAnswer;

int profiles(Session& session, const QStringList&) {
  const ApiAnswer answer = session.client().profiles();
  if (answer.kind != ApiAnswer::Kind::kAnswered) return session.fail(answer);
  if (session.options().json) {
    session.printJson(answer.body);
    return kExitDone;
  }
  for (const QJsonValue& entry : answer.body.value("profiles").toArray()) {
    const QJsonObject p = entry.toObject();
    session.out() << p.value("index").toInt() << "  " << p.value("folder").toString().toStdString()
                  << "  " << p.value("serverType").toString().toStdString() << "  "
                  << p.value("state").toString().toStdString() << "\n";
  }
  return kExitDone;
}

int mapsShow(Session& session, const QStringList& words) {
  auto maps = session.fetchMaps(profileOf(words[0]));
  if (auto* code = std::get_if<int>(&maps)) return *code;
  const auto& answer = std::get<MapsAnswer>(maps);
  if (session.options().json) {
    session.printJson(mapsJson(answer));
  } else {
    session.out() << mapsText(answer).toStdString();
  }
  return kExitDone;
}

// --scores TK,DM,FB: three limits from 1.
std::array<int32_t, 3> scoresOf(const QString& text) {
  const QStringList parts = text.split(',');
  bool ok = parts.size() == 3;
  std::array<int32_t, 3> values{};
  for (qsizetype i = 0; ok && i < 3; ++i) {
    values[static_cast<size_t>(i)] = parts[i].trimmed().toInt(&ok);
    ok = ok && values[static_cast<size_t>(i)] >= 1;
  }
  if (!ok) throw UsageError("--scores is three limits from 1: TK,DM,FB");
  return values;
}

// The rotation a map-list file names, checked against the server's catalogue and the size of a
// rotation; false (and said why) when nothing may be sent.
bool readRotation(Session& session, const QString& file, const std::string& listText,
                  const MapsAnswer& current, formats::exchange::NewRotation& rotation) {
  std::ostream& err = session.err();
  std::vector<std::string> problems;
  rotation.rotation = readMapList(listText, current.catalogue, problems);
  for (const std::string& problem : problems) {
    err << "rotaryn-admin: " << file.toStdString() << ": " << fromWindows1252(problem).toStdString()
        << "\n";
  }
  if (!problems.empty() || rotation.rotation.empty()) {
    err << "rotaryn-admin: nothing was sent; " << file.toStdString()
        << (problems.empty() ? " lists no map" : " names maps the server does not have")
        << "; the server keeps its rotation of " << current.rotation.size() << " maps\n";
    return false;
  }
  if (rotation.rotation.size() > kMaxRotation) {
    err << "rotaryn-admin: nothing was sent; " << file.toStdString() << " lists "
        << rotation.rotation.size() << " maps and a server rotation holds at most " << kMaxRotation
        << "; the server keeps its rotation of " << current.rotation.size() << " maps\n";
    return false;
  }
  return true;
}

// After SetMapsRem: the plug-in's 1 says it wrote the list, not that the server took it, so the
// rotation is read back and compared with what was sent.
int checkRotationHeld(Session& session, int profile, const ApiAnswer& answer,
                      const formats::exchange::NewRotation& rotation, const MapsAnswer& before) {
  std::ostream& err = session.err();
  auto after = session.fetchMaps(profile);
  if (auto* code = std::get_if<int>(&after)) {
    err << "rotaryn-admin: profile " << profile
        << ": the rotation was sent but the server could not be read back, so it is not known "
           "to hold it\n";
    return *code == kExitDone ? kExitFailed : *code;
  }
  const RotationCheck check = checkRotation(rotation, before, std::get<MapsAnswer>(after));
  const bool done = answer.body.value("done").toBool(answer.body.value("result").toInt() == 1);
  if (check.held && done) {
    if (!session.options().json) {
      session.out() << "profile " << profile << ": " << check.text.toStdString() << "\n";
    }
    return kExitDone;
  }
  err << "rotaryn-admin: profile " << profile << ": ";
  if (check.held) {
    // The limits are written whatever the game; the list only while one runs.
    err << "the server holds the rotation of " << rotation.rotation.size()
        << " maps and the limits sent, but the plug-in did not apply the list (nor keep it "
           "for the next start): "
        << Session::reasonOf(answer).toStdString() << "\n";
    return kExitFailed;
  }
  err << check.text.toStdString();
  if (!done) err << "; the plug-in did not apply it: " << Session::reasonOf(answer).toStdString();
  err << "\n";
  return kExitFailed;
}

int mapsSet(Session& session, const QStringList& words) {
  const int profile = profileOf(words[0]);
  const std::optional<QString> file =
      words.size() > 1 ? std::optional<QString>(words[1]) : std::nullopt;
  const std::optional<QString>& scoresText = session.options().scores;
  if (!file && !scoresText) {
    throw UsageError("maps set needs a map-list file, --scores TK,DM,FB, or both");
  }
  const auto scores = scoresText ? std::optional(scoresOf(*scoresText)) : std::nullopt;
  std::string listText;
  if (file) {
    QFile input(*file);
    if (!input.open(QIODevice::ReadOnly)) {
      session.err() << "rotaryn-admin: cannot read " << file->toStdString() << ": "
                    << input.errorString().toStdString() << "\n";
      return kExitFailed;
    }
    listText = input.readAll().toStdString();
  }

  auto maps = session.fetchMaps(profile);
  if (auto* code = std::get_if<int>(&maps)) return *code;
  const auto& current = std::get<MapsAnswer>(maps);
  formats::exchange::NewRotation rotation{current.settings.kothLimit, current.settings.killLimit,
                                          current.settings.gameScoreLimit, current.rotation};
  if (scores) {
    rotation.kothLimit = (*scores)[0];
    rotation.killLimit = (*scores)[1];
    rotation.gameScoreLimit = (*scores)[2];
  }
  if (file && !readRotation(session, *file, listText, current, rotation)) return kExitFailed;
  const ApiAnswer answer = session.client().call(
      profile, "SetMapsRem", QString::fromStdString(formats::exchange::buildSetMapsData(rotation)));
  if (answer.kind != ApiAnswer::Kind::kAnswered) return session.fail(answer);
  if (session.options().json) session.printJson(answer.body);
  session.printReports(profile, answer);
  return checkRotationHeld(session, profile, answer, rotation, current);
}

// Skip or score: sent, then the server's game state read until the game has ended.
int endGame(Session& session, int profile, const char* operation) {
  const ApiAnswer before = session.client().state(profile);
  const int changed = session.change(profile, operation, {}, QString(), true, true);
  if (changed != kExitDone) return changed;
  std::ostream& err = session.err();
  if (before.kind != ApiAnswer::Kind::kAnswered) {
    err << "rotaryn-admin: profile " << profile << ": " << operation
        << " was sent, but the server's state cannot be read to see the game end: "
        << before.problem.toStdString() << "\n";
    return kExitFailed;
  }
  const QJsonObject was = before.body.value("state").toObject();
  QJsonObject now = was;
  for (int waited = 0; waited <= kEndWaitMs; waited += kPollMs) {
    const ApiAnswer answer = session.client().state(profile);
    if (answer.kind != ApiAnswer::Kind::kAnswered) return session.fail(answer);
    now = answer.body.value("state").toObject();
    const int state = now.value("state").toInt();
    if ((state != 2 && state != 3) || now.value("map") != was.value("map")) {
      if (!session.options().json) {
        session.out() << "profile " << profile << ": the server ended the game of "
                      << was.value("map").toString().toStdString() << " (now "
                      << formats::gameStateName(state) << ")\n";
      }
      return kExitDone;
    }
    QThread::msleep(kPollMs);
  }
  err << "rotaryn-admin: profile " << profile << ": " << operation
      << " was sent, but the server did not end the game within " << kEndWaitMs / 1000
      << " s (still " << formats::gameStateName(now.value("state").toInt()) << ", "
      << now.value("map").toString().toStdString() << "): the server may be stopped or hung\n";
  return kExitFailed;
}

int skip(Session& session, const QStringList& words) {
  return endGame(session, profileOf(words[0]), "SkipMapRem");
}

int score(Session& session, const QStringList& words) {
  return endGame(session, profileOf(words[0]), "ScoreMapRem");
}

int play(Session& session, const QStringList& words) {
  bool ok = false;
  const int position = words[1].toInt(&ok);
  if (!ok || position < 0) throw UsageError("POS is a rotation position from 0");
  return session.change(profileOf(words[0]), "PlayMapRem", QJsonValue(position),
                        QString("map %1 of the rotation plays next").arg(position));
}

std::string text1252(const QString& word) {
  return toWindows1252(word);
}

int taskAdd(Session& session, const QStringList& w) {
  const std::string section = taskSection(text1252(w[1]), text1252(w[2]));
  const std::string data = section + "|" + text1252(w[3]) + "|" + taskFrequency(text1252(w[4]));
  return session.change(profileOf(w[0]), "AddTaskRem",
                        QString::fromStdString(formats::encodeBase64(data)),
                        "task " + QString::fromStdString(section) + " added");
}

int taskEdit(Session& session, const QStringList& w) {
  const std::string old = taskSection(text1252(w[1]), text1252(w[2]));
  const std::string now = taskSection(text1252(w[3]), text1252(w[4]));
  const std::string data =
      old + "|" + now + "|" + text1252(w[5]) + "|" + taskFrequency(text1252(w[6]));
  return session.change(profileOf(w[0]), "EditTaskRem",
                        QString::fromStdString(formats::encodeBase64(data)),
                        "task " + QString::fromStdString(now) + " saved");
}

int taskDelete(Session& session, const QStringList& w) {
  const std::string section = taskSection(text1252(w[1]), text1252(w[2]));
  const int profile = profileOf(w[0]);
  auto maps = session.fetchMaps(profile);
  if (auto* code = std::get_if<int>(&maps)) return *code;
  const auto& tasks = std::get<MapsAnswer>(maps).tasks;
  const bool listed = !tasks.empty();
  if (listed &&
      std::none_of(tasks.begin(), tasks.end(),
                   [&section](const formats::exchange::Task& t) { return t.section == section; })) {
    session.err() << "rotaryn-admin: profile " << profile << ": there is no task at " << section
                  << "; nothing was deleted\n";
    return kExitFailed;
  }
  return session.change(profile, "DeleteTaskRem", fromWindows1252(section),
                        "task " + QString::fromStdString(section) +
                            (listed ? " deleted"
                                    : " deleted if it was there (the profile lists no tasks: "
                                      "it has none, or one, which is not listed)"));
}

int fileUpload(Session& session, const QStringList& words) {
  const int profile = profileOf(words[0]);
  const QString& path = words[1];
  QFile input(path);
  if (!input.open(QIODevice::ReadOnly)) {
    session.err() << "rotaryn-admin: cannot read " << path.toStdString() << ": "
                  << input.errorString().toStdString() << "\n";
    return kExitFailed;
  }
  const QString name = QFileInfo(path).fileName();
  UploadBody body(toWindows1252(name), input.readAll());
  return session.change(profile, "AddFileRem", std::nullopt,
                        name + " is written into the game folder", true, false, &body);
}

int fileDelete(Session& session, const QStringList& words) {
  return session.change(profileOf(words[0]), "DeleteFileRem",
                        QString::fromStdString(formats::encodeBase64(toWindows1252(words[1]))),
                        words[1] + " and its .til and .wac are deleted from the game folder");
}

int autoload(Session& session, const QStringList& words) {
  const QString& value = words[1];
  if (value != "0" && value != "1") throw UsageError("autoload is 0 or 1");
  return session.change(profileOf(words[0]), "SetAutoLoad", value, "autoload set to " + value,
                        false);
}

int displayTime(Session& session, const QStringList& words) {
  bool ok = false;
  const int value = words[1].toInt(&ok);
  if (!ok || value < 1 || value > 9) throw UsageError("display-time is 1 to 9 (units of 5 s)");
  return session.change(profileOf(words[0]), "SetDisplayTimer", words[1],
                        QString("display time set to %1 s").arg(value * 5), false);
}

int status(Session& session, const QStringList& words) {
  const std::optional<int> profile =
      words.isEmpty() ? std::nullopt : std::optional<int>(profileOf(words[0]));
  return runStatus(session.client(), profile, session.options().json, session.out(), session.err());
}

int history(Session& session, const QStringList& words) {
  return historyCommand(session.client(), profileOf(words[0]), session.options().since,
                        session.options().json, session.out(), session.err());
}

// Every command: its name and words (its usage), what runs it, and its line of --help.
const Command kCommands[] = {
    {"profiles", "", profiles, "the profiles you may touch"},
    {"status", "[P]", status, "each profile's server, game, map and limits"},
    {"maps show", "P", mapsShow, "settings, maps, rotation and tasks"},
    {"maps set", "P [MAPLIST.mpl] [--scores TK,DM,FB]", mapsSet,
     "a new rotation (default: the current one)"},
    {"skip", "P", skip, "the running game", "skip P | score P | play P POS"},
    {"score", "P", score, "", ""},
    {"play", "P POS", play, "", ""},
    {"task", "add|edit|delete P ...", nullptr},
    {"task add", "P DATE TIME FILE FREQUENCY", taskAdd,
     "e.g. 25/12/2026 20:00:00 mylist.mpl \"Every Day\""},
    {"task edit", "P DATE TIME NEW_DATE NEW_TIME FILE FREQUENCY", taskEdit},
    {"task delete", "P DATE TIME", taskDelete},
    {"file upload", "P PATH", fileUpload, "custom map files in the game folder",
     "file upload P PATH | file delete P NAME"},
    {"file delete", "P NAME", fileDelete, "", ""},
    {"autoload", "P 0|1", autoload, "", "autoload P 0|1 | display-time P 1..9"},
    {"display-time", "P 1..9", displayTime, "", ""},
    {"history", "P [--since yyyy-mm-dd]", history, "the games played, from that date to today"},
};

// The token from --token-file or the environment; throws UsageError when there is none, and
// says why and gives none when the file cannot be read.
std::optional<QByteArray> tokenOf(
    const Options& options,
    const std::function<std::optional<std::string>(const char*)>& environment, std::ostream& err) {
  QByteArray token;
  if (!options.tokenFile.isEmpty()) {
    QFile file(options.tokenFile);
    if (!file.open(QIODevice::ReadOnly)) {
      err << "rotaryn-admin: cannot read the token file " << options.tokenFile.toStdString() << ": "
          << file.errorString().toStdString() << "\n";
      return std::nullopt;
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
  if (token.isEmpty()) throw UsageError("no token: give --token-file FILE or set ROTARYN_TOKEN");
  return token;
}

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
         "Commands (P is a profile index):\n" +
         commandsHelp(kCommands) + "\n--host defaults to " + std::string(kDefaultHost) +
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
    const CommandLine line = parseCommandLine(arguments, kCommands);
    const std::optional<QByteArray> token = tokenOf(line.options, environment, err);
    if (!token) return kExitUsage;
    const QUrl host(line.options.host);
    if (!host.isValid() || (host.scheme() != "http" && host.scheme() != "https")) {
      throw UsageError("--host is an http:// or https:// URL, not \"" +
                       line.options.host.toStdString() + "\"");
    }
    Session session(line.options, *token, out, err);
    if (!line.options.caFile.isEmpty() && !session.trust(line.options.caFile)) {
      throw UsageError("--ca-file " + line.options.caFile.toStdString() +
                       " holds no PEM certificate");
    }
    if (!line.problem.empty()) throw UsageError(line.problem);
    return line.command->run(session, line.words);
  } catch (const std::invalid_argument& error) {
    err << "rotaryn-admin: " << error.what() << " (rotaryn-admin --help)\n";
    return kExitUsage;
  }
}

}  // namespace rotaryn::admin
