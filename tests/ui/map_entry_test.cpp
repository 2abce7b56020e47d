#include "ui/map_entry.h"

#include <gtest/gtest.h>

#include "platform/vb_error.h"
#include "tests/platform/vb_error_of.h"

namespace rotaryn {
namespace {

// Split at the last angle bracket and trimmed; without one, the text inside the outer
// characters is the file and there is no name.
TEST(SplitMapEntry, SplitsRowTextIntoNameAndFile) {
  struct Case {
    std::string text, name, file;
  };
  for (const Case& c :
       {Case{mapEntryText("Shadow Ops", "M_SHADOW.bms"), "Shadow Ops", "M_SHADOW.bms"},
        Case{"  A <B> side   < odd.bms >", "A <B> side", "odd.bms"},
        Case{"xfile.bmsx", "", "file.bms"}}) {
    MapEntry entry = SplitMapEntry(c.text);
    EXPECT_EQ(entry.name, c.name) << c.text;
    EXPECT_EQ(entry.file, c.file) << c.text;
  }
  EXPECT_EQ(errorOf([] { SplitMapEntry(""); }), vberr::kInvalidCall);
}

}  // namespace
}  // namespace rotaryn
