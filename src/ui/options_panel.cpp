#include "ui/options_panel.h"

#include "catalogue/custom_map_menu.h"
#include "control/game_commands.h"
#include "memory/server_fields.h"
#include "memory/update_maps.h"
#include "platform/scoped_flag.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "store/map_list.h"

namespace rotaryn {
namespace {

constexpr const char* kNoScoreLimitFields = "This server build has no score-limit fields.";

// One of the three limit boxes: the server field it sets, the field the server uses while that
// one is 0, and the largest number the box accepts.
struct LimitBox {
  const char* name;
  const char* configured;
  const char* fallback;
  int32_t largest;
};

constexpr LimitBox kKothLimitBox{"txtTkoth", "CKothLimit", "KothLimit", 60};
constexpr LimitBox kKillLimitBox{"txtTdm", "CMaxKills", "MaxKills", 500};
// Flagball has no server limit of its own: the kill limit stands in.
constexpr LimitBox kFlagballLimitBox{"txtFb", "CGameScore", "MaxKills", 500};

// The change handler of a limit box, on CurrentProfile as it is when the text changes (by typing
// or by code, the window's reload included). The current value is the configured field, or the
// fallback when that is 0. Text that is not a number, 0, or above the largest value puts the
// current value back into the box; any other number, rounded half to even, is written into the
// configured field. The put-back is itself a change, so the value put back is written too; when
// it is refused again (a server limit above the largest value) the box keeps it and nothing is
// written. Failures are reported under the box's name and nothing is written. A build without
// limit fields is left alone: its boxes are disabled and empty.
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

void LimitBoxChange::operator()() {
  const LimitBox& limit = *limit_;
  Module& module = *module_;
  const int32_t index = module.CurrentProfile;
  ErrorTrap trap = module.trap(limit.name, index);
  trap.run([&] {
    trap.at(1);
    if (!hasScoreLimitFields(module, index)) return;
    int32_t current = readLong(module, index, limit.configured);
    if (current == 0) current = readLong(module, index, limit.fallback);

    trap.at(2);
    const std::optional<double> number = vb::parseNumber(box_->text.get());
    if (!number || *number == 0 || *number > limit.largest) {
      // The box's own change from putting the value back ends here when that value is refused
      // as well: the box shows it once.
      if (puttingBack_) return;
      trap.at(3);
      ScopedFlag during(puttingBack_);
      box_->text = std::to_string(current);
      return;
    }

    trap.at(4);
    const int32_t value = vb::CLng(Variant(*number));
    trap.at(5);
    writeLong(module, index, limit.configured, value);
  });
}

}  // namespace

OptionsPanel::OptionsPanel(Module& module) : WindowPart(module) {
  cmdSkip.action = [this] { cmdSkip_Click(module_); };
  cmdScore.action = [this] { cmdScore_Click(module_); };
  cmdPlay.action = [this] { cmdPlay_Click(module_); };
  cmdSave.action = [this] { cmdSave_Click(module_); };
  cmdLoad.action = [this] { cmdLoad_Click(module_); };
  cmdUpdate.action = [this] { cmdUpdateProc_Click(module_, false); };
  txtTkoth.text.onChange(LimitBoxChange(module_, txtTkoth, kKothLimitBox));
  txtTdm.text.onChange(LimitBoxChange(module_, txtTdm, kKillLimitBox));
  txtFb.text.onChange(LimitBoxChange(module_, txtFb, kFlagballLimitBox));
}

void OptionsPanel::showScoreLimits(const std::optional<ScoreLimits>& limits) {
  // A build without limit fields shows empty, disabled boxes rather than another profile's.
  const std::string tip = limits ? "" : kNoScoreLimitFields;
  txtTkoth.text = limits ? std::to_string(limits->koth) : "";
  txtTdm.text = limits ? std::to_string(limits->kills) : "";
  txtFb.text = limits ? std::to_string(limits->gameScore) : "";
  for (TextBox* box : {&txtTkoth, &txtTdm, &txtFb}) {
    box->enabled = limits.has_value();
    box->toolTipText = tip;
  }
}

ScoreLimitTexts OptionsPanel::shownScoreLimits() const {
  return {txtTkoth.text.get(), txtTdm.text.get(), txtFb.text.get()};
}

void OptionsPanel::showRestoredLimits(int32_t koth, int32_t kills, int32_t gameScore) {
  txtTkoth.text = std::to_string(koth);
  txtTdm.text = std::to_string(kills);
  txtFb.text = std::to_string(gameScore);
}

void OptionsPanel::showPlayingMap(const std::string& caption) {
  lblCurMap.caption = caption;
}

}  // namespace rotaryn
