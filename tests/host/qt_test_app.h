#pragma once

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <functional>

namespace rotaryn::host {

// The one Qt application of the test program, made on first use.
inline QCoreApplication& qtTestApp() {
  static int argc = 1;
  static char name[] = "host_tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  return app;
}

// Runs the event loop until done() holds or timeoutMs pass; returns done()'s last answer.
inline bool runEventsUntil(const std::function<bool()>& done, int timeoutMs) {
  qtTestApp();
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done()) loop.quit();
  });
  poll.start(5);
  QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
  if (!done()) loop.exec();
  return done();
}

}  // namespace rotaryn::host
