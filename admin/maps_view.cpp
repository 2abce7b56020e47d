#include "admin/maps_view.h"

#include <QJsonArray>
#include <QList>
#include <QStringList>
#include <algorithm>
#include <array>
#include <map>
#include <stdexcept>

#include "formats/game_names.h"
#include "formats/rotation_entry.h"
#include "formats/windows_1252.h"

namespace rotaryn::admin {
namespace {

QString padded(const QString& text, qsizetype width) {
  return text.leftJustified(width, ' ');
}

// Rows as aligned columns under a heading line.
QString table(const QStringList& headings, const std::vector<QStringList>& rows) {
  std::vector<qsizetype> widths;
  for (const QString& heading : headings) widths.push_back(heading.size());
  for (const QStringList& row : rows) {
    for (qsizetype i = 0; i < row.size() && i < static_cast<qsizetype>(widths.size()); ++i) {
      widths[static_cast<size_t>(i)] = std::max(widths[static_cast<size_t>(i)], row[i].size());
    }
  }
  auto line = [&widths](const QStringList& cells) {
    QString text = "  ";
    for (qsizetype i = 0; i < cells.size(); ++i) {
      const bool last = i + 1 == cells.size();
      text += last ? cells[i] : padded(cells[i], widths[static_cast<size_t>(i)]) + "  ";
    }
    return text + "\n";
  };
  QString text = line(headings);
  for (const QStringList& row : rows) text += line(row);
  return text;
}

QString shown(const std::string& value) {
  return value.empty() ? QString("(not set)") : fromWindows1252(value);
}

QJsonObject mapJson(const formats::exchange::MapLine& map) {
  return QJsonObject{{"displayName", fromWindows1252(map.displayName)},
                     {"missionFile", fromWindows1252(map.missionFile)},
                     {"gameType", map.gameType},
                     {"gameTypeName", gameTypeName(map.gameType)},
                     {"custom", map.custom}};
}

}  // namespace

QString fromWindows1252(std::string_view bytes) {
  return QString::fromStdString(formats::utf8FromWindows1252(bytes));
}

std::string toWindows1252(const QString& text) {
  std::string bytes;
  for (char32_t code : text.toUcs4()) {
    const std::optional<char> byte = formats::windows1252ByteOf(code);
    if (!byte) {
      throw std::invalid_argument("\"" + QString::fromUcs4(&code, 1).toStdString() +
                                  "\" has no place in the server's code page (Windows-1252)");
    }
    bytes += *byte;
  }
  return bytes;
}

QString gameTypeName(int32_t type) {
  return QString::fromStdString(formats::gameTypeName(type));
}

QString mapsText(const formats::exchange::MapsAnswer& answer) {
  const formats::exchange::ServerSettings& s = answer.settings;
  QString text = "Settings\n";
  text +=
      table({"setting", "value"},
            {{"map playing", s.mapPlaying.empty() ? "(none)" : fromWindows1252(s.mapPlaying)},
             {"autoload", shown(s.autoload)},
             {"display time", s.displayTime.empty()
                                  ? QString("(not set)")
                                  : QString("%1 (%2 s)")
                                        .arg(fromWindows1252(s.displayTime))
                                        .arg(QString::fromStdString(s.displayTime).toInt() * 5)},
             {"king of the hill limit", QString::number(s.kothLimit)},
             {"kill limit", QString::number(s.killLimit)},
             {"game score limit", QString::number(s.gameScoreLimit)},
             {"map limit", QString::number(s.mapLimit)}});

  for (const bool custom : {false, true}) {
    // By game type, then in the catalogue's order.
    std::map<int32_t, std::vector<const formats::exchange::MapLine*>> byType;
    for (const formats::exchange::MapLine& map : answer.catalogue) {
      if (map.custom == custom) byType[map.gameType].push_back(&map);
    }
    size_t count = 0;
    for (const auto& [type, maps] : byType) count += maps.size();
    text += QString("\n%1 maps (%2)\n").arg(custom ? "Custom" : "Stock").arg(count);
    for (const auto& [type, maps] : byType) {
      text += "  " + gameTypeName(type) + "\n";
      for (const formats::exchange::MapLine* map : maps) {
        text += "    " + fromWindows1252(map->displayName) + " <" +
                fromWindows1252(map->missionFile) + ">\n";
      }
    }
  }

  std::vector<QStringList> rotation;
  for (size_t i = 0; i < answer.rotation.size(); ++i) {
    const formats::exchange::MapLine& map = answer.rotation[i];
    rotation.push_back({QString::number(i), fromWindows1252(map.displayName),
                        fromWindows1252(map.missionFile), gameTypeName(map.gameType),
                        map.custom ? "custom" : "stock"});
  }
  text += QString("\nRotation (%1 maps)\n").arg(answer.rotation.size());
  text += table({"pos", "map", "mission file", "game type", "kind"}, rotation);

  std::vector<QStringList> tasks;
  for (const formats::exchange::Task& task : answer.tasks) {
    QStringList row{fromWindows1252(task.section)};
    QString file;
    QString frequency;
    for (const std::string& line : task.lines) {
      const QString entry = fromWindows1252(line);
      if (entry.startsWith("File=", Qt::CaseInsensitive)) file = entry.mid(5);
      if (entry.startsWith("Frequency=", Qt::CaseInsensitive)) frequency = entry.mid(10);
    }
    tasks.push_back({row.front(), frequency, file});
  }
  if (!answer.tasksProblem.empty()) {
    text +=
        "\nTasks: the task list could not be read: " + QString::fromStdString(answer.tasksProblem) +
        "\n";
  } else if (tasks.empty()) {
    // The plug-in sends a profile's tasks only when its task file has two or more.
    text +=
        "\nTasks: none listed (a profile's tasks are listed only when it has two or more; "
        "a single task is not shown)\n";
  } else {
    text += QString("\nTasks (%1)\n").arg(answer.tasks.size());
    text += table({"date & time", "frequency", "file"}, tasks);
  }
  return text;
}

QJsonObject mapsJson(const formats::exchange::MapsAnswer& answer) {
  const formats::exchange::ServerSettings& s = answer.settings;
  QJsonArray stock;
  QJsonArray custom;
  for (const formats::exchange::MapLine& map : answer.catalogue)
    (map.custom ? custom : stock).append(mapJson(map));
  QJsonArray rotation;
  for (const formats::exchange::MapLine& map : answer.rotation) rotation.append(mapJson(map));
  QJsonArray tasks;
  for (const formats::exchange::Task& task : answer.tasks) {
    QJsonArray lines;
    for (const std::string& line : task.lines) lines.append(fromWindows1252(line));
    tasks.append(QJsonObject{{"section", fromWindows1252(task.section)}, {"lines", lines}});
  }
  return QJsonObject{{"settings", QJsonObject{{"autoload", fromWindows1252(s.autoload)},
                                              {"displayTime", fromWindows1252(s.displayTime)},
                                              {"mapPlaying", fromWindows1252(s.mapPlaying)},
                                              {"kothLimit", s.kothLimit},
                                              {"killLimit", s.killLimit},
                                              {"gameScoreLimit", s.gameScoreLimit},
                                              {"mapLimit", s.mapLimit}}},
                     {"stock", stock},
                     {"custom", custom},
                     {"rotation", rotation},
                     {"tasks", answer.tasksProblem.empty() ? QJsonValue(tasks) : QJsonValue()},
                     {"tasksProblem", fromWindows1252(answer.tasksProblem)}};
}

std::vector<formats::exchange::MapLine> readMapList(
    std::string_view text, const std::vector<formats::exchange::MapLine>& catalogue,
    std::vector<std::string>& problems) {
  std::vector<formats::exchange::MapLine> rotation;
  size_t lineNumber = 0;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    std::string line(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const std::string where = "line " + std::to_string(lineNumber) + ": ";
    std::optional<formats::RotationEntryFields> entry = formats::splitRotationEntry(line);
    if (!entry) {
      problems.push_back(where + "not type[-]flag[-]mission file");
      continue;
    }
    const std::string& flag = entry->customFlag;
    const std::string& mission = entry->file;
    int32_t type = 0;
    try {
      type = formats::exchange::parseNumber(entry->gameType, "the game type");
    } catch (const formats::exchange::ExchangeError& error) {
      problems.push_back(where + error.what());
      continue;
    }
    const bool custom = flag == "1";
    auto found = std::find_if(catalogue.begin(), catalogue.end(), [&](const auto& map) {
      return map.missionFile == mission && map.gameType == type && map.custom == custom;
    });
    if (found == catalogue.end()) {
      problems.push_back(where + mission + " (" + gameTypeName(type).toStdString() + ", " +
                         (custom ? "custom" : "stock") + ") is not among the server's maps");
      continue;
    }
    rotation.push_back(*found);
  }
  return rotation;
}

namespace {

bool sameMap(const formats::exchange::MapLine& a, const formats::exchange::MapLine& b) {
  return a.gameType == b.gameType &&
         QString::fromStdString(a.missionFile)
                 .compare(QString::fromStdString(b.missionFile), Qt::CaseInsensitive) == 0;
}

bool sameRotation(const std::vector<formats::exchange::MapLine>& a,
                  const std::vector<formats::exchange::MapLine>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), sameMap);
}

QString limitsText(int32_t koth, int32_t kills, int32_t gameScore) {
  return QString("limits %1, %2, %3").arg(koth).arg(kills).arg(gameScore);
}

}  // namespace

RotationCheck checkRotation(const formats::exchange::NewRotation& sent,
                            const formats::exchange::MapsAnswer& before,
                            const formats::exchange::MapsAnswer& after) {
  const std::vector<formats::exchange::MapLine>& held = after.rotation;
  const formats::exchange::ServerSettings& limits = after.settings;
  const bool limitsHeld = limits.kothLimit == sent.kothLimit &&
                          limits.killLimit == sent.killLimit &&
                          limits.gameScoreLimit == sent.gameScoreLimit;
  const QString heldLimits = limitsText(limits.kothLimit, limits.killLimit, limits.gameScoreLimit);
  if (sameRotation(sent.rotation, held)) {
    if (limitsHeld) {
      return {true, QString("the server plays the new rotation of %1 maps, %2")
                        .arg(held.size())
                        .arg(heldLimits)};
    }
    return {false, QString("the server plays the rotation of %1 maps sent, but its %2, not the "
                           "%3 sent")
                       .arg(held.size())
                       .arg(heldLimits)
                       .arg(limitsText(sent.kothLimit, sent.killLimit, sent.gameScoreLimit))};
  }
  QStringList dropped;
  for (const formats::exchange::MapLine& map : sent.rotation) {
    const bool kept =
        std::any_of(held.begin(), held.end(),
                    [&map](const formats::exchange::MapLine& h) { return sameMap(map, h); });
    if (!kept) {
      dropped << fromWindows1252(map.missionFile) + " (" + gameTypeName(map.gameType) + ")";
    }
  }
  dropped.removeDuplicates();
  QString text = sameRotation(before.rotation, held)
                     ? QString("the server kept its old rotation of %1 maps").arg(held.size())
                     : QString("the server holds a rotation of %1 maps, not the %2 sent")
                           .arg(held.size())
                           .arg(sent.rotation.size());
  if (!dropped.isEmpty() && !sameRotation(before.rotation, held)) {
    text += QString("; %1 maps were dropped as unknown to the server: %2")
                .arg(dropped.size())
                .arg(dropped.join(", "));
  }
  return {false, text + ", " + heldLimits};
}

}  // namespace rotaryn::admin
