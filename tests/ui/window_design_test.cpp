#include <gtest/gtest.h>

#include "tests/support/ui_window_fixture.h"
#include "ui/automation/window_controls.h"
#include "ui/window_controls_table.h"

namespace rotaryn {
namespace {

// The window's named controls and its design are one list: every control is the row at its
// own position, so none is missing from the design, none is there twice, and the views and
// the automation that walk the design reach every control.
TEST(WindowDesign, EveryControlOfTheWindowIsItsRowOfTheDesign) {
  WindowFixture host;
  frmRotarynMaps& w = host.load();
  const std::vector<Control*>& controls = w.controls();
  // After them, the images the window made as it loaded.
  ASSERT_EQ(controls.size(), kWindowControls.size() + w.imageButtons().images().size());
  for (size_t i = 0; i < kWindowControls.size(); ++i) {
    EXPECT_EQ(controls[i]->design(), &kWindowControls[i]) << controls[i]->name();
    std::optional<ControlRef> found = findControl(w, kWindowControls[i].name);
    ASSERT_TRUE(found.has_value()) << kWindowControls[i].name;
    EXPECT_EQ(std::visit([](auto* c) -> const Control* { return c; }, *found), controls[i]);
  }
  EXPECT_FALSE(findControl(w, "cmdadd").has_value());
  EXPECT_EQ(w.mnuMain.items, (std::vector<MenuItem*>{&w.mnuAdd, &w.mnuDelete}));
}

}  // namespace
}  // namespace rotaryn
