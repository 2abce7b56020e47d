#pragma once

#include <QApplication>
#include <QtGlobal>

namespace rotaryn::testing {

// The one QApplication of a Qt test binary, made on first use. Without a display the tests run
// on the offscreen platform. Kept to the end of the process: Qt cannot make a second one.
inline QApplication& qtApplication() {
  static QApplication* application = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "qt_tests";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);
  }();
  return *application;
}

}  // namespace rotaryn::testing
