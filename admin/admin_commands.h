#pragma once

#include <QByteArray>
#include <QStringList>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

namespace rotaryn::admin {

// Runs one rotaryn-admin command line (without the program name) and returns its exit code
// (admin_client.h). environment gives ROTARYN_TOKEN. Needs a QCoreApplication.
int runAdmin(const QStringList& arguments, std::ostream& out, std::ostream& err,
             const std::function<std::optional<std::string>(const char*)>& environment);

std::string adminHelp();

// The token in a token file's text: its last line that is one word, blanks around it ignored
// (the token alone, or all that --add-admin printed); none when no line is one word.
std::optional<QByteArray> tokenIn(const QByteArray& text);

// The data of the task operations as the plug-in reads them.
// "dd/mm/yyyy" and "hh:mm:ss" into a task's section name; throws std::invalid_argument.
std::string taskSection(const std::string& date, const std::string& time);
// "Once", "Every Day", "Every Week", "Every Month" (any case; "daily" and the like are not
// accepted); throws std::invalid_argument.
std::string taskFrequency(const std::string& text);

}  // namespace rotaryn::admin
