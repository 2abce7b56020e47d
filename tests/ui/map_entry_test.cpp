#include "ui/map_entry.h"

#include <gtest/gtest.h>

#include "platform/vb_error.h"

namespace rotaryn {
namespace {

TEST(SplitMapEntry, ReadsBackTheRowTextItWasBuiltFrom) {
  MapEntry entry = SplitMapEntry(mapEntryText("Shadow Ops", "M_SHADOW.bms"));
  EXPECT_EQ(entry.name, "Shadow Ops");
  EXPECT_EQ(entry.file, "M_SHADOW.bms");
}

TEST(SplitMapEntry, SplitsAtTheLastAngleBracketAndTrims) {
  MapEntry entry = SplitMapEntry("  A <B> side   < odd.bms >");
  EXPECT_EQ(entry.name, "A <B> side");
  EXPECT_EQ(entry.file, "odd.bms");
}

TEST(SplitMapEntry, TextWithoutBracketHasNoName) {
  MapEntry entry = SplitMapEntry("xfile.bmsx");
  EXPECT_EQ(entry.name, "");
  EXPECT_EQ(entry.file, "file.bms");
}

TEST(SplitMapEntry, TooShortTextRaisesInvalidCall) {
  try {
    SplitMapEntry("");
    FAIL() << "no error raised";
  } catch (const VbError& error) {
    EXPECT_EQ(error.number(), vberr::kInvalidCall);
  }
}

}  // namespace
}  // namespace rotaryn
