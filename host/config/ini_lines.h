#pragma once

#include <string>
#include <string_view>
#include <vector>

// The line syntax host.ini and administrators.ini share: "[section]", "key = value", comments
// starting with ; or #, blank lines. Each reader gives the sections and keys their meaning and
// words its own errors, naming the line.
namespace rotaryn::host {

// One line of an INI text that says something.
struct IniLine {
  enum class Kind {
    kSection,          // "[name]"
    kSetting,          // "key = value" (the key may be empty)
    kUnclosedSection,  // starts with "[" but does not end with "]"
    kNotASetting,      // text without "=" that is neither a section nor a comment
  };
  Kind kind;
  int number;              // from 1
  std::string_view name;   // the section's name or the setting's key, trimmed
  std::string_view value;  // the setting's value, trimmed
};

// The lines of the text that say something, in order; views into the text. Lines end at LF;
// blanks, tabs and CR around a line, a name and a value are not part of them.
std::vector<IniLine> iniLines(std::string_view text);

// The text without blanks, tabs and CRs around it.
std::string_view trimIni(std::string_view text);
// ASCII letters in lower case: names and keywords are compared ignoring case.
std::string asciiLower(std::string_view text);

}  // namespace rotaryn::host
