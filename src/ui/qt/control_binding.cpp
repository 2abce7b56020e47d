#include "ui/qt/control_binding.h"

#include <exception>

#include <QtGlobal>

namespace rotaryn {

void forwardInput(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& failure) {
    qCritical("rotaryn: window input failed: %s", failure.what());
  } catch (...) {
    qCritical("rotaryn: window input failed");
  }
}

}  // namespace rotaryn
