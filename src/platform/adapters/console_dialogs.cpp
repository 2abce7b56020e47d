#include "platform/adapters/console_dialogs.h"

#include <array>
#include <cstdint>

#include "platform/adapters/dialog_names.h"

namespace rotaryn {
namespace {

// Code points of bytes 0x80-0x9F in Windows-1252; 0xFFFD where the code page has none.
constexpr std::array<char32_t, 32> kHighControls{
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

void writeFileDialog(std::ostream& out, const char* kind, const FileDialogRequest& request) {
  out << "[" << utf8FromWindows1252(request.title) << "] no " << kind
      << " file dialog is available headless; cancelled\n";
  out.flush();
}

}  // namespace

std::string utf8FromWindows1252(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    char32_t code = byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : byte;
    appendUtf8(out, code);
  }
  return out;
}

MessageAnswer ConsoleDialogs::messageBox(const std::string& text, const std::string& title,
                                         MessageButtons buttons) {
  MessageAnswer answer = firstButton(buttons);
  out_ << "[" << utf8FromWindows1252(title) << "] " << utf8FromWindows1252(text) << " ("
       << messageButtonsName(buttons) << " -> " << messageAnswerName(answer) << ")\n";
  out_.flush();
  return answer;
}

std::optional<std::string> ConsoleDialogs::openFile(const FileDialogRequest& request) {
  writeFileDialog(out_, "open", request);
  return std::nullopt;
}

std::optional<std::string> ConsoleDialogs::saveFile(const FileDialogRequest& request) {
  writeFileDialog(out_, "save", request);
  return std::nullopt;
}

}  // namespace rotaryn
