#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>

#include "platform/vb_error.h"

namespace rotaryn {

// A procedure's "On Error GoTo": the procedure marks its steps as it goes; a failure ends the
// procedure and hands (procedure, error, step, profile) to the report callback.
class ErrorTrap {
 public:
  using Report = std::function<void(const std::string& procedure, const VbError& error, int line,
                                    int profile)>;

  ErrorTrap(std::string procedure, int profile, Report report)
      : procedure_(std::move(procedure)), profile_(profile), report_(std::move(report)) {}

  void at(int step) { step_ = step; }
  int step() const { return step_; }
  void setProfile(int profile) { profile_ = profile; }

  // Runs the body; returns true when it finished, false when it failed and was reported.
  template <class Body>
  bool run(Body&& body) {
    try {
      body();
      return true;
    } catch (const VbError& error) {
      report(error);
    } catch (const std::exception& error) {
      report(fromStd(error));
    }
    return false;
  }

  // "On Error Resume Next" for chosen numbers: runs one step; a failure with one of the numbers
  // skips just that step, any other propagates to the enclosing run().
  template <class Body>
  void skippable(int step, std::initializer_list<int> numbers, Body&& body) {
    at(step);
    try {
      body();
    } catch (const VbError& error) {
      for (int n : numbers) {
        if (n == error.number()) return;
      }
      throw;
    }
  }

 private:
  static VbError fromStd(const std::exception& error);
  void report(const VbError& error) {
    if (report_) report_(procedure_, error, step_, profile_);
  }

  std::string procedure_;
  int profile_;
  int step_ = 0;
  Report report_;
};

}  // namespace rotaryn
