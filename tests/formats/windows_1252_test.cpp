#include "formats/windows_1252.h"

#include <gtest/gtest.h>

namespace rotaryn::formats {
namespace {

TEST(Windows1252, EveryByteRoundTripsAndTheUnassignedFiveAreTheirControls) {
  for (int byte = 0; byte < 256; ++byte) {
    char32_t code = unicodeOfWindows1252(static_cast<unsigned char>(byte));
    std::optional<char> back = windows1252ByteOf(code);
    ASSERT_TRUE(back.has_value()) << byte;
    EXPECT_EQ(static_cast<unsigned char>(*back), byte);
  }
  for (unsigned char byte : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
    EXPECT_EQ(unicodeOfWindows1252(byte), char32_t{byte});
  }
  EXPECT_FALSE(windows1252ByteOf(U'\u4E2D').has_value());
  EXPECT_FALSE(windows1252ByteOf(U'\u0080').has_value());
}

TEST(Windows1252, Utf8DecodingRefusesWhatIsNotUtf8) {
  struct Case {
    std::string text;
    std::optional<char32_t> code;
    size_t next;
  };
  for (const Case& c :
       {Case{"A", U'A', 1}, Case{"\xC3\xA9", U'\u00E9', 2}, Case{"\xE2\x82\xAC", U'\u20AC', 3},
        Case{"\xF0\x9F\x98\x80", U'\U0001F600', 4},
        Case{"\xC0\x80", std::nullopt, 1},      // overlong NUL
        Case{"\xE0\x80\xAF", std::nullopt, 1},  // overlong '/'
        Case{"\xED\xA0\x80", std::nullopt, 1},  // a surrogate
        Case{"\xE2\x82", std::nullopt, 1},      // cut short
        Case{"\x80", std::nullopt, 1}, Case{"\xFF", std::nullopt, 1}}) {
    size_t pos = 0;
    EXPECT_EQ(nextUtf8Character(c.text, pos), c.code) << c.text;
    EXPECT_EQ(pos, c.next) << c.text;
  }
}

TEST(Windows1252, TextRoundTripsThroughUtf8) {
  std::string every;
  for (int byte = 1; byte < 256; ++byte) every += static_cast<char>(byte);
  EXPECT_EQ(windows1252FromUtf8(utf8FromWindows1252(every)), every);
  EXPECT_EQ(utf8FromWindows1252("\x81"), "\xC2\x81");  // unassigned: the C1 control
  EXPECT_EQ(utf8FromWindows1252("Map's \x80 \xE9"), "Map's \xE2\x82\xAC \xC3\xA9");

  EXPECT_EQ(windows1252FromUtf8("\xE4\xB8\xAD.bms"), std::nullopt);
  EXPECT_EQ(windows1252FromUtf8("a\xFF"), std::nullopt);
  EXPECT_EQ(windows1252FromUtf8("\xC2\x80"), std::nullopt);  // U+0080 has no byte
  EXPECT_EQ(windows1252FromUtf8("\xE4\xB8\xAD-\xC3\xA9\xFF", '?'), "?-\xE9?");
}

}  // namespace
}  // namespace rotaryn::formats
