#pragma once

#include <cstdint>

namespace rotaryn {

struct Module;
class TextBox;

// One of the window's three limit boxes: the server field it sets, the field the server uses
// while that one is 0, and the largest number the box accepts.
struct LimitBox {
  const char* name;
  const char* configured;
  const char* fallback;
  int32_t largest;
};

inline constexpr LimitBox kKothLimitBox{"txtTkoth", "CKothLimit", "KothLimit", 60};
inline constexpr LimitBox kKillLimitBox{"txtTdm", "CMaxKills", "MaxKills", 500};
// Flagball has no server limit of its own: the kill limit stands in.
inline constexpr LimitBox kFlagballLimitBox{"txtFb", "CGameScore", "MaxKills", 500};

inline constexpr const char* kNoLimitFieldsForSetScore =
    "This server build has no score-limit fields; its limits cannot be set.";

// The change handler of a limit box, on CurrentProfile as it is when the text changes (by typing
// or by code, the window's reload included). The current value is the configured field, or the
// fallback when that is 0. Text that is not a number, 0, or above the largest value puts the
// current value back into the box; any other number, rounded half to even, is written into the
// configured field. The put-back is itself a change, so the value put back is written too; when
// it is refused again (a server limit above the largest value) the box keeps it and nothing is
// written. Failures are reported under the box's name and nothing is written. A build without
// limit fields is left alone: its boxes are disabled and empty.
//
// A copyable callable, to be given to the box's text.onChange.
class LimitBoxChange {
 public:
  LimitBoxChange(Module& module, TextBox& box, const LimitBox& limit)
      : module_(&module), box_(&box), limit_(&limit) {}
  void operator()();

 private:
  Module* module_;
  TextBox* box_;
  const LimitBox* limit_;
  bool puttingBack_ = false;
};

// The host's SetScore: writes tk into "CKothLimit", dm into "CMaxKills" and fb into
// "CGameScore" of profile Index, in that order, with no range test (0 clears a limit, so the
// server's own applies again). No error trap: a failure raises to the host, and the fields
// written before it stay written. A build without limit fields raises 5 before any write.
void SetScore(Module& module, int32_t Index, int16_t tk, int32_t dm, int32_t fb);

}  // namespace rotaryn
