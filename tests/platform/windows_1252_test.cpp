#include "platform/windows_1252.h"

#include <gtest/gtest.h>

namespace rotaryn {
namespace {

TEST(Windows1252, EveryAssignedByteRoundTripsAndUnassignedOnesHaveNoCharacter) {
  int unassigned = 0;
  for (int byte = 0; byte < 256; ++byte) {
    char32_t code = unicodeOfWindows1252(static_cast<unsigned char>(byte));
    std::optional<char> back = windows1252ByteOf(code);
    if (code == 0xFFFD) {
      ++unassigned;
      EXPECT_FALSE(back.has_value()) << byte;
    } else {
      ASSERT_TRUE(back.has_value()) << byte;
      EXPECT_EQ(static_cast<unsigned char>(*back), byte);
    }
  }
  EXPECT_EQ(unassigned, 5);
  EXPECT_FALSE(windows1252ByteOf(U'\u4E2D').has_value());
}

TEST(Windows1252, Utf8KeepsAsciiAndWidensTheHighHalf) {
  EXPECT_EQ(utf8FromWindows1252("Smuggler's Run"), "Smuggler's Run");
  EXPECT_EQ(utf8FromWindows1252("\x80 \xE9"), "\xE2\x82\xAC \xC3\xA9");  // euro sign, e acute
}

}  // namespace
}  // namespace rotaryn
