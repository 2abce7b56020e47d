#pragma once

#include <QStringList>
#include <span>
#include <string>

#include "admin/session.h"

namespace rotaryn::admin {

// One command of the tool: a new command is a row of admin_commands.cpp's table and its
// handler. Its words after the name are written as its usage shows them:
// "P [MAPLIST.mpl] [--scores TK,DM,FB]" takes P, then MAPLIST.mpl or nothing; a bracketed option
// is one of the tool's options, shown for the reader only.
struct Command {
  const char* name;   // "maps set": a group, then its command
  const char* takes;  // the words after the name
  // What runs it, given the words it took; none for a group, whose usage `takes` then is.
  int (*run)(Session& session, const QStringList& words) = nullptr;
  // Its line of --help: what the command does (empty: the line is the usage alone), and what
  // the line shows for the command instead of its usage (empty: a neighbour's line covers it).
  const char* does = "";
  const char* shown = nullptr;
};

// What a command line asks for.
struct CommandLine {
  Options options;
  const Command* command = nullptr;
  QStringList words;  // the command's words, optional ones left out when not given
  // What is wrong with the command (empty: nothing). The tool says it once the options are
  // found usable, so a missing token is told first, whatever else is wrong.
  std::string problem;
};

// Reads a command line (without the program name; --help is the caller's) against the
// commands. Throws UsageError for an unknown option or an option without its value; a wrong
// command (its usage, or one not known) is the line's problem.
CommandLine parseCommandLine(const QStringList& arguments, std::span<const Command> commands);

// The commands' lines of --help, the descriptions lined up.
std::string commandsHelp(std::span<const Command> commands);

}  // namespace rotaryn::admin
