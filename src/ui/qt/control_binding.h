#pragma once

#include <functional>

#include <QObject>

#include "ui/controls.h"

namespace rotaryn {

// Runs a model handler for user input. Handlers trap their own failures; anything that still
// escapes is logged here, as it must not unwind through Qt's event dispatch.
void forwardInput(const std::function<void()>& handler);

// Ties one control of the window model to its Qt widget: render() shows what the model says,
// and the widget's input is handed to the model's handlers. A QObject only so that signal
// connections made for the widget end with the binding.
class ControlBinding : public QObject {
 public:
  ControlBinding() = default;
  ControlBinding(const ControlBinding&) = delete;
  ControlBinding& operator=(const ControlBinding&) = delete;
  ~ControlBinding() override = default;

  virtual void render(Change what) = 0;
  // Everything at once, when the view is first built or attached.
  virtual void renderAll() = 0;

 protected:
  // True while the binding changes its widget itself, so the widget's signals are not taken for
  // user input.
  bool rendering_ = false;
};

}  // namespace rotaryn
