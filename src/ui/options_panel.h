#pragma once

#include <optional>
#include <string>

#include "memory/score_limits.h"
#include "ui/window_part.h"

namespace rotaryn {

// The limits as the three limit boxes hold them.
struct ScoreLimitTexts {
  std::string koth;
  std::string kills;
  std::string flagball;
};

// The game commands: the Options frame's buttons, the map playing and the score-limit boxes
// under the current maps.
class OptionsPanel : protected virtual WindowPart {
 public:
  // What code outside the window reads and shows, as values.
  ScoreLimitTexts shownScoreLimits() const;
  void showRestoredLimits(int32_t koth, int32_t kills, int32_t gameScore);
  void showPlayingMap(const std::string& caption);

  Frame frmOptions{controls_, windowControlDesign<Frame>("frmOptions")};
  Button cmdSkip{controls_, windowControlDesign<Button>("cmdSkip")};
  Button cmdScore{controls_, windowControlDesign<Button>("cmdScore")};
  Button cmdPlay{controls_, windowControlDesign<Button>("cmdPlay")};
  Button cmdUpdate{controls_, windowControlDesign<Button>("cmdUpdate")};
  Button cmdSave{controls_, windowControlDesign<Button>("cmdSave")};
  Button cmdLoad{controls_, windowControlDesign<Button>("cmdLoad")};

  Label lblCurMap{controls_, windowControlDesign<Label>("lblCurMap")};
  Label Label1{controls_, windowControlDesign<Label>("Label1")};
  Label Label2{controls_, windowControlDesign<Label>("Label2")};
  TextBox txtTkoth{controls_, windowControlDesign<TextBox>("txtTkoth")};
  Label Label3{controls_, windowControlDesign<Label>("Label3")};
  TextBox txtTdm{controls_, windowControlDesign<TextBox>("txtTdm")};
  Label Label4{controls_, windowControlDesign<Label>("Label4")};
  TextBox txtFb{controls_, windowControlDesign<TextBox>("txtFb")};

 protected:
  explicit OptionsPanel(Module& module);
  ~OptionsPanel() = default;

  // The limits in the three limit boxes; none (a build without limit fields) disables them.
  void showScoreLimits(const std::optional<ScoreLimits>& limits);
};

}  // namespace rotaryn
