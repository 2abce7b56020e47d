#include "admin/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

namespace rotaryn::admin {
namespace {

// The words a command takes, as CLI11 positionals: the usage's words less the options in it.
std::vector<std::pair<std::string, bool>> positionalsOf(const char* takes) {
  std::vector<std::pair<std::string, bool>> words;  // name, optional
  std::istringstream in(takes);
  std::string word;
  bool inOption = false;  // "[--scores TK,DM,FB]" spans two words
  while (in >> word) {
    if (inOption || word.starts_with("[--")) {
      inOption = word.back() != ']';
      continue;
    }
    const bool optional = word.front() == '[' && word.back() == ']';
    words.emplace_back(optional ? word.substr(1, word.size() - 2) : word, optional);
  }
  return words;
}

std::string usageOf(const Command& command) {
  return std::string(command.name) + (*command.takes ? " " : "") + command.takes;
}

// The tool's command line as CLI11 reads it: one subcommand per group and command, the options
// taken anywhere on the line (fallthrough), the last of a repeated option counting.
class Grammar {
 public:
  explicit Grammar(std::span<const Command> commands) {
    app_.set_help_flag();  // --help is the whole text, answered before parsing
    app_.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    for (const char* name : {"--host", "--token-file", "--ca-file", "--scores", "--since"}) {
      app_.add_option(name);
    }
    app_.add_flag("--json");
    app_.require_subcommand(1);
    for (const Command& command : commands) add(command);
  }

  Options options() const {
    Options options;
    auto given = [this](const char* name) -> std::optional<QString> {
      const CLI::Option* option = app_.get_option_no_throw(name);
      if (option->count() == 0) return std::nullopt;
      return QString::fromStdString(option->as<std::string>());
    };
    options.host = given("--host").value_or(kDefaultHost);
    options.tokenFile = given("--token-file").value_or(QString());
    options.caFile = given("--ca-file").value_or(QString());
    options.json = app_.get_option_no_throw("--json")->count() > 0;
    options.scores = given("--scores");
    options.since = given("--since");
    return options;
  }

  // Throws CLI::ParseError.
  void parse(const QStringList& arguments) {
    std::vector<std::string> reversed;
    for (auto word = arguments.rbegin(); word != arguments.rend(); ++word) {
      reversed.push_back(word->toStdString());
    }
    app_.parse(reversed);
  }

  // The command the line names, or the group it stopped in (nothing: none named).
  const Command* chosen() const {
    const CLI::App* at = &app_;
    while (!at->get_subcommands().empty()) at = at->get_subcommands().front();
    auto found = commands_.find(at);
    return found == commands_.end() ? nullptr : found->second;
  }

  QStringList wordsOf(const Command& command) const {
    QStringList words;
    for (const CLI::Option* word : positionals_.at(&command)) {
      for (const std::string& value : word->results()) words << QString::fromStdString(value);
    }
    return words;
  }

  // An option of the line that is unknown or lacks its value, the first one. Told before CLI11
  // reads the line, which would take "--" as the end of the options.
  std::optional<std::string> optionProblem(const QStringList& arguments) const {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
      const QString& word = arguments[i];
      if (!word.startsWith("--")) continue;
      const CLI::Option* option = optionOf(word);
      const bool inlineValue = word.contains('=');
      if (option == nullptr || (inlineValue && option->get_expected_min() == 0)) {
        return "unknown option " + word.toStdString();
      }
      if (inlineValue ? word.endsWith('=') : takesNextWord(word) && i + 1 >= arguments.size()) {
        return word.toStdString() + " needs a value";
      }
      if (takesNextWord(word)) ++i;
    }
    return std::nullopt;
  }

  // What is wrong with the command of a line whose options are right: the usage of the command
  // it names, or the command it does not know.
  std::string commandProblem(const QStringList& arguments) const {
    if (const Command* command = chosen()) return "usage: " + usageOf(*command);
    QStringList words;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
      const QString& word = arguments[i];
      if (!word.startsWith("--")) {
        words << word;
      } else if (takesNextWord(word)) {
        ++i;
      }
    }
    return words.isEmpty() ? "no command given"
                           : "unknown command \"" + words.join(' ').toStdString() + "\"";
  }

 private:
  const CLI::Option* optionOf(const QString& word) const {
    return app_.get_option_no_throw(word.section('=', 0, 0).toStdString());
  }

  // Whether the option's value is the next word (not "--name=value").
  bool takesNextWord(const QString& word) const {
    const CLI::Option* option = optionOf(word);
    return option != nullptr && option->get_expected_min() > 0 && !word.contains('=');
  }

  void add(const Command& command) {
    CLI::App* at = &app_;
    std::istringstream names(command.name);
    std::string name;
    while (names >> name) {
      CLI::App*& sub = subcommands_[{at, name}];
      if (sub == nullptr) {
        sub = at->add_subcommand(name);
        sub->fallthrough();
        at->require_subcommand(1);
      }
      at = sub;
    }
    commands_[at] = &command;
    if (command.run == nullptr) return;
    std::vector<const CLI::Option*>& words = positionals_[&command];
    for (const auto& [word, optional] : positionalsOf(command.takes)) {
      CLI::Option* option = at->add_option(word);
      if (!optional) option->required();
      words.push_back(option);
    }
  }

  CLI::App app_{"", "rotaryn-admin"};
  std::map<std::pair<CLI::App*, std::string>, CLI::App*> subcommands_;
  std::map<const CLI::App*, const Command*> commands_;
  std::map<const Command*, std::vector<const CLI::Option*>> positionals_;
};

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments, std::span<const Command> commands) {
  Grammar grammar(commands);
  if (auto problem = grammar.optionProblem(arguments)) throw UsageError(*problem);
  CommandLine line;
  try {
    grammar.parse(arguments);
  } catch (const CLI::ParseError&) {
    line.problem = grammar.commandProblem(arguments);
  }
  line.options = grammar.options();
  line.command = grammar.chosen();
  if (line.command == nullptr || line.command->run == nullptr) {
    line.problem = grammar.commandProblem(arguments);
  } else if (line.problem.empty()) {
    line.words = grammar.wordsOf(*line.command);
  }
  return line;
}

std::string commandsHelp(std::span<const Command> commands) {
  constexpr size_t kWidth = 39;  // of the usage column; the descriptions follow it
  std::string text;
  for (const Command& command : commands) {
    if (command.run == nullptr || (command.shown != nullptr && *command.shown == '\0')) continue;
    const std::string shown = command.shown != nullptr ? command.shown : usageOf(command);
    text += "  " + shown;
    if (*command.does != '\0') {
      text += shown.size() > kWidth ? "\n" + std::string(kWidth + 2, ' ')
                                    : std::string(std::max<size_t>(kWidth - shown.size(), 3), ' ');
      text += command.does;
    }
    text += "\n";
  }
  return text;
}

}  // namespace rotaryn::admin
