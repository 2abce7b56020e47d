#pragma once

#include <string_view>

#include "platform/dialogs.h"

namespace rotaryn {

// Names of buttons and answers for transcripts and consoles: "Ok", "YesNo", "Yes", ...
constexpr std::string_view messageButtonsName(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok:
      return "Ok";
    case MessageButtons::YesNo:
      return "YesNo";
    case MessageButtons::OkCancel:
      return "OkCancel";
    case MessageButtons::YesNoCancel:
      return "YesNoCancel";
  }
  return "?";
}

constexpr std::string_view messageAnswerName(MessageAnswer answer) {
  switch (answer) {
    case MessageAnswer::Ok:
      return "Ok";
    case MessageAnswer::Cancel:
      return "Cancel";
    case MessageAnswer::Yes:
      return "Yes";
    case MessageAnswer::No:
      return "No";
  }
  return "?";
}

// Whether a box with these buttons can give this answer.
constexpr bool offersAnswer(MessageButtons buttons, MessageAnswer answer) {
  switch (buttons) {
    case MessageButtons::Ok:
      return answer == MessageAnswer::Ok;
    case MessageButtons::YesNo:
      return answer == MessageAnswer::Yes || answer == MessageAnswer::No;
    case MessageButtons::OkCancel:
      return answer == MessageAnswer::Ok || answer == MessageAnswer::Cancel;
    case MessageButtons::YesNoCancel:
      return answer != MessageAnswer::Ok;
  }
  return false;
}

// The first button of a box: what Enter presses.
constexpr MessageAnswer firstButton(MessageButtons buttons) {
  return buttons == MessageButtons::Ok || buttons == MessageButtons::OkCancel ? MessageAnswer::Ok
                                                                              : MessageAnswer::Yes;
}

}  // namespace rotaryn
