#pragma once

namespace rotaryn {

// Sets a flag for the life of a scope, e.g. "this change is ours, not the operator's", so a
// change handler can tell the two apart.
class ScopedFlag {
 public:
  explicit ScopedFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~ScopedFlag() { flag_ = false; }
  ScopedFlag(const ScopedFlag&) = delete;
  ScopedFlag& operator=(const ScopedFlag&) = delete;

 private:
  bool& flag_;
};

}  // namespace rotaryn
