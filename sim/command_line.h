#pragma once

// What dfbhd-sim and rotaryn-memtool share about their command lines: how a refused command
// line is reported, and checks CLI11 lacks.

#include <CLI/CLI.hpp>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

namespace rotaryn::sim {

// Exit status of a refused command line.
inline constexpr int kUsageStatus = 2;

// Parses the command line. --help prints the generated help and gives 0; a refused command
// line is reported on stderr in one line, naming an unknown option as unknown, and gives
// kUsageStatus; nothing when the program should go on.
inline std::optional<int> parseCommandLine(CLI::App& app, int argc, char** argv) {
  try {
    app.parse(argc, argv);
    return std::nullopt;
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::ExtrasError&) {
    std::string what;
    for (const std::string& extra : app.remaining(true)) {
      if (!what.empty()) what += ", ";
      what += (extra.size() > 1 && extra[0] == '-' &&
                       !std::isdigit(static_cast<unsigned char>(extra[1]))
                   ? "unknown option "
                   : "unexpected argument ") +
              extra;
    }
    std::cerr << app.get_name() << ": " << what << " (" << app.get_name()
              << " --help lists the options)\n";
    return kUsageStatus;
  } catch (const CLI::ParseError& error) {
    std::cerr << app.get_name() << ": " << error.what() << " (" << app.get_name()
              << " --help lists the options)\n";
    return kUsageStatus;
  }
}

inline std::string formatNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", value);
  return text;
}

// A whole number from minimum to maximum.
inline CLI::Validator wholeRange(int64_t minimum, int64_t maximum) {
  std::string range = "[" + std::to_string(minimum) + " - " + std::to_string(maximum) + "]";
  return CLI::Validator(
      [=](std::string& input) -> std::string {
        int64_t value = 0;
        auto [end, error] = std::from_chars(input.data(), input.data() + input.size(), value);
        if (input.empty() || error == std::errc::invalid_argument ||
            end != input.data() + input.size()) {
          return "\"" + input + "\" is not a whole number";
        }
        if (error == std::errc::result_out_of_range || value < minimum || value > maximum) {
          return input + " is outside " + range;
        }
        return {};
      },
      "in " + range);
}

// A number of seconds (or a factor): finite, from minimum up to maximum, decimals allowed.
inline CLI::Validator finiteRange(double minimum, double maximum, bool minimumIncluded = true) {
  std::string range =
      (minimumIncluded ? "[" : "(") + formatNumber(minimum) + " - " + formatNumber(maximum) + "]";
  return CLI::Validator(
      [=](std::string& input) -> std::string {
        char* end = nullptr;
        errno = 0;
        double value = std::strtod(input.c_str(), &end);
        if (input.empty() || end != input.c_str() + input.size() || errno == ERANGE ||
            !std::isfinite(value)) {
          return "\"" + input + "\" is not a number";
        }
        if (value < minimum || (!minimumIncluded && value == minimum) || value > maximum) {
          return input + " is outside " + range;
        }
        return {};
      },
      "in " + range);
}

// A text of at most capacity characters; what says what the text is.
inline CLI::Validator atMost(size_t capacity, std::string what) {
  return CLI::Validator(
      [=](std::string& input) -> std::string {
        if (input.size() <= capacity) return {};
        return what + " \"" + input + "\" has " + std::to_string(input.size()) +
               " characters; the server holds at most " + std::to_string(capacity);
      },
      "at most " + std::to_string(capacity) + " characters");
}

}  // namespace rotaryn::sim
