#include "formats/base64.h"

#include <gtest/gtest.h>

namespace rotaryn::formats {
namespace {

std::string failureOf(std::string_view text) {
  try {
    decodeBase64(text);
  } catch (const Base64Error& error) {
    return error.what();
  }
  return "decoded";
}

TEST(Base64, EncodesTheRfcVectorsAndRoundTripsEveryByte) {
  const char* vectors[][2] = {{"", ""},
                              {"f", "Zg=="},
                              {"fo", "Zm8="},
                              {"foo", "Zm9v"},
                              {"foob", "Zm9vYg=="},
                              {"fooba", "Zm9vYmE="},
                              {"foobar", "Zm9vYmFy"}};
  for (const auto& [plain, encoded] : vectors) {
    EXPECT_EQ(encodeBase64(plain), encoded);
    EXPECT_EQ(decodeBase64(encoded), plain);
  }
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
  EXPECT_EQ(encodeBase64(bytes).find_first_not_of(
                "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="),
            std::string::npos);
  EXPECT_EQ(decodeBase64(encodeBase64(bytes)), bytes);
}

// Line breaks and blanks are skipped and padding may be missing; anything else is error 5.
TEST(Base64, DecodingIsLenientOnlyAboutBlanksAndPadding) {
  EXPECT_EQ(decodeBase64("Zm9v\r\nYmFy"), "foobar");
  EXPECT_EQ(decodeBase64(" Zm 9v\tYg "), "foob");
  EXPECT_EQ(decodeBase64("Zm9vYg"), "foob");
  EXPECT_EQ(decodeBase64("Zm9vYmE"), "fooba");
  EXPECT_EQ(failureOf("Zm*v"), "the text is not base 64: character 42 at position 3");
  EXPECT_EQ(failureOf("Zm9vY"),
            "the text is not base 64: its length is not a whole number of bytes");
  EXPECT_EQ(failureOf("Zg=A"), "the text is not base 64: text after the '=' padding at position 4");
  EXPECT_EQ(failureOf("Zg==="), "the text is not base 64: bad '=' padding");
  EXPECT_EQ(failureOf("Zm9="), "decoded");
  EXPECT_EQ(failureOf("Zm9=="), "the text is not base 64: bad '=' padding");
}

}  // namespace
}  // namespace rotaryn::formats
