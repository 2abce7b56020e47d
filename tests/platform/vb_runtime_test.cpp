#include "platform/vb_runtime.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/vb_error.h"
#include "tests/platform/vb_error_of.h"

namespace rotaryn::vb {
namespace {

using Number = std::pair<const char*, double>;
using Rounding = std::pair<double, int>;
using Truth = std::pair<const char*, bool>;

TEST(CLng, RoundsExactHalvesToEven) {
  for (auto [value, rounded] :
       {Rounding{0.5, 0}, Rounding{1.5, 2}, Rounding{2.5, 2}, Rounding{-2.5, -2},
        Rounding{-1.5, -2}, Rounding{-0.5, 0}, Rounding{2.5000001, 3}, Rounding{2.4999999, 2}}) {
    EXPECT_EQ(CLng(value), rounded) << value;
    EXPECT_EQ(CInt(value), rounded) << value;
  }
  // Text rounds on its decimal digits, not on the nearest Double (3.5, -3.5, 2.5 for the first
  // three); CDbl gives the nearest Double itself.
  for (auto [text, rounded] :
       {std::pair{"3.4999999999999999", 3}, std::pair{"-3.4999999999999999", -3},
        std::pair{"2.5000000000000001", 3}, std::pair{"2.5", 2}, std::pair{" 3.5 ", 4},
        std::pair{"0.49999999999999994", 0}, std::pair{"0.06", 0}, std::pair{"25e-1", 2},
        std::pair{"35E-1", 4}, std::pair{"1.5e1", 15}, std::pair{"0.5", 0}, std::pair{"1e-400", 0},
        std::pair{"5e-99999999999999999999", 0}}) {
    EXPECT_EQ(CLng(text), rounded) << text;
    EXPECT_EQ(CInt(text), rounded) << text;
  }
  EXPECT_EQ(CDbl("0.49999999999999994"), 0.49999999999999994);
  EXPECT_EQ(CLng(Variant()), 0);
  EXPECT_EQ(CLng(true), -1);
}

// Each target's range is checked after rounding; text that is no number is a type mismatch.
TEST(CLng, ConversionsRaiseOverflowOutsideTheTargetAndTypeMismatchForText) {
  EXPECT_EQ(CLng(2147483646.5), 2147483646);
  EXPECT_EQ(CLng(-2147483648.5), -2147483647 - 1);
  EXPECT_EQ(CInt(32766.5), 32766);
  EXPECT_EQ(CInt(-32768.5), -32768);
  EXPECT_EQ(CByte(-0.5), 0);
  for (double value : {2147483647.5, -2147483649.0}) {  // the first rounds to 2^31
    EXPECT_EQ(errorOf([=] { CLng(value); }), vberr::kOverflow) << value;
  }
  for (double value : {32767.5, -32769.0}) {
    EXPECT_EQ(errorOf([=] { CInt(value); }), vberr::kOverflow) << value;
  }
  for (double value : {255.5, -1.0}) {
    EXPECT_EQ(errorOf([=] { CByte(value); }), vberr::kOverflow) << value;
  }
  EXPECT_EQ(errorOf([] { CInt(int32_t{40000}); }), vberr::kOverflow);
  EXPECT_EQ(errorOf([] { CLng("1e10"); }), vberr::kOverflow);
  for (const Variant& value : {Variant("abc"), Variant(""), Variant(Variant::Array{})}) {
    EXPECT_EQ(errorOf([&] { CLng(value); }), vberr::kTypeMismatch);
  }
  EXPECT_EQ(errorOf([] { CStr(Variant(Variant::Array{})); }), vberr::kTypeMismatch);
}

// The 16-bit wrap of &H/&O text is CInt's (and a literal's); Long wraps at 32 bits. A Double
// takes it as a Long up to &H80000000 and overflows above. A sign or parentheses around it are
// read and ignored.
TEST(CLng, HexAndOctalTextWrapsToTheWidthOfTheTarget) {
  EXPECT_EQ(CLng("&HFFFF"), 65535);
  EXPECT_EQ(CLng("&H8000"), 32768);
  EXPECT_EQ(CLng("&O177777"), 65535);
  EXPECT_EQ(CLng("&HFFFFFFFF"), -1);
  EXPECT_EQ(CLng("&H80000000"), -2147483647 - 1);
  EXPECT_EQ(CLng("-&H10"), 16);
  EXPECT_EQ(CLng(" (&H10) "), 16);
  EXPECT_EQ(CLng("&H10-"), 16);
  for (const char* text : {"&H100000000", "&HFFFFFFFFFFFFFFFF", "&H10000000000000000"}) {
    EXPECT_EQ(errorOf([&] { CLng(text); }), vberr::kOverflow) << text;
  }
  EXPECT_EQ(CDbl("&H8000"), 32768);
  EXPECT_EQ(CDbl("&H7FFFFFFF"), 2147483647.0);
  EXPECT_EQ(CDbl("&H80000000"), -2147483648.0);
  for (const char* text : {"&H80000001", "&HFFFFFFFF", "&H123456789", "&O37777777777"}) {
    EXPECT_EQ(errorOf([&] { CDbl(text); }), vberr::kOverflow) << text;
    EXPECT_EQ(errorOf([&] { CBool(text); }), vberr::kOverflow) << text;
  }
  // Money is never written in another radix, nor with separators or a fraction.
  for (const char* text : {"$&H10", "&H10$", "&H1,000", "&HA.2", "&O18"}) {
    EXPECT_EQ(errorOf([&] { CLng(text); }), vberr::kTypeMismatch) << text;
  }
  EXPECT_EQ(CInt("&HFFFF"), -1);
  EXPECT_EQ(CInt("&H8000"), -32768);
  EXPECT_EQ(CInt("&H7FFF"), 32767);
  EXPECT_EQ(errorOf([] { CInt("&H10000"); }), vberr::kOverflow);
  EXPECT_EQ(CByte("&HFF"), 255);
  EXPECT_EQ(errorOf([] { CByte("&HFFFF"); }), vberr::kOverflow);
}

TEST(CDbl, NumberBeyondADoubleIsOverflowEverywhere) {
  for (const char* text : {"1e400", "-1e400", "1E+999", " 1e400 "}) {
    EXPECT_EQ(errorOf([&] { CDbl(text); }), vberr::kOverflow) << text;
    EXPECT_EQ(errorOf([&] { CLng(text); }), vberr::kOverflow) << text;
    EXPECT_EQ(errorOf([&] { CInt(text); }), vberr::kOverflow) << text;
    EXPECT_EQ(errorOf([&] { CBool(text); }), vberr::kOverflow) << text;
    EXPECT_EQ(errorOf([&] { Val(text); }), vberr::kOverflow) << text;
  }
  EXPECT_EQ(errorOf([] { CDbl("(1e400)"); }), vberr::kOverflow);
  EXPECT_EQ(errorOf([] { CDbl("1" + std::string(400, '0')); }), vberr::kOverflow);
  EXPECT_EQ(errorOf([] { Val("1" + std::string(400, '0') + "x"); }), vberr::kOverflow);
  EXPECT_EQ(CDbl("1e-400"), 0.0);
  EXPECT_EQ(Val("1e-400"), 0.0);
}

TEST(CBool, ReadsTrueFalseInAnyCaseAndNumbersAsNonZero) {
  for (auto [text, value] : {Truth{"True", true}, Truth{"TRUE", true}, Truth{"false", false},
                             Truth{"0", false}, Truth{"-1", true}, Truth{"0.1", true},
                             Truth{"$0", false}, Truth{"#TRUE#", true}, Truth{"#FALSE#", false}})
    EXPECT_EQ(CBool(text), value) << text;
  // The text Write # gives a Boolean counts in its own capitals only.
  for (const char* text : {"", "yes", " True", "#TRUE", "#true#", "#False#"}) {
    EXPECT_EQ(errorOf([&] { CBool(text); }), vberr::kTypeMismatch) << text;
  }
  EXPECT_FALSE(CBool(Variant()));
  EXPECT_TRUE(CBool(int32_t{5}));
  EXPECT_FALSE(CBool(0.0));
}

TEST(CStr, PrintsNumbersAsVbDoes) {
  EXPECT_EQ(CStr(1.5), "1.5");
  EXPECT_EQ(CStr(1e20), "1E+20");
  EXPECT_EQ(CStr(1.5e-7), "1.5E-07");
  EXPECT_EQ(CStr(0.1 + 0.2), "0.3");  // 15 significant digits
  EXPECT_EQ(CStr(123456789012345.0), "123456789012345");
  EXPECT_EQ(CStr(1e15), "1E+15");
  EXPECT_EQ(CStr(-0.0), "0");
  EXPECT_EQ(CStr(int16_t{-7}), "-7");
  EXPECT_EQ(CStr(int32_t{2147483647}), "2147483647");
  EXPECT_EQ(CStr(true), "True");
  EXPECT_EQ(CStr(Variant()), "");
}

// Numeric is "converts to Double": the same parser decides both, with the value it gives.
TEST(IsNumeric, AcceptsWhatConvertsToDoubleWithItsValue) {
  for (auto [text, value] : {Number{"1,000", 1000.0},    Number{"&H10", 16.0},
                             Number{"&h1f", 31.0},       Number{"&O17", 15.0},
                             Number{"1e3", 1000.0},      Number{"1E-3", 0.001},
                             Number{" 7 ", 7.0},         Number{"\t7\r\n", 7.0},
                             Number{"\2407", 7.0},       Number{"-5", -5.0},
                             Number{"+5", 5.0},          Number{"5-", -5.0},
                             Number{"(5)", -5.0},        Number{".5", 0.5},
                             Number{"5.", 5.0},          Number{"$5", 5.0},
                             Number{"-$5", -5.0},        Number{"$-5", -5.0},
                             Number{"$ 5", 5.0},         Number{"5 $", 5.0},
                             Number{"$11$$", 11.0},      Number{"$89216.25$", 89216.25},
                             Number{"($5)", -5.0},       Number{"1,234.5", 1234.5},
                             Number{"1,,00,0,", 1000.0}, Number{"1.5,0", 1.5},
                             Number{"1e3,", 1000.0},     Number{"1,000.25", 1000.25},
                             Number{"&HFFFF", 65535.0},  Number{"&H10000", 65536.0},
                             Number{"-&H10", 16.0},      Number{"&H80000000", -2147483648.0},
                             Number{"1e-400", 0.0}}) {
    EXPECT_TRUE(IsNumeric(text)) << '"' << text << '"';
    EXPECT_EQ(parseNumber(text), value) << '"' << text << '"';
  }
  for (const char* text :
       {"",    " ",    "abc",   ",1000", ".",       ".,5",        "1e",
        "1e+", "1 e1", "(5",    "5)",    "1.2.3",   "--5",        "5--",
        "&H",  "&HG",  "1 2",   "12abc", "1e999",   "$",          "$$11",
        "$,5", "1$99", "$&H10", "&H10$", "&H1,000", "&HFFFFFFFF", "&H100000000"}) {
    EXPECT_FALSE(IsNumeric(text)) << '"' << text << '"';
    EXPECT_EQ(parseNumber(text), std::nullopt) << '"' << text << '"';
  }
  EXPECT_TRUE(IsNumeric(Variant()));
  EXPECT_TRUE(IsNumeric(true));
  EXPECT_FALSE(IsNumeric(Variant(Variant::Array{})));
}

TEST(Val, ReadsTheLeadingNumberAndNeverRaisesForText) {
  // Up to four hex digits wrap as an Integer literal does.
  for (auto [text, value] :
       {Number{"12abc", 12.0}, Number{"  1 2 3", 123.0}, Number{"\t-4\n2", -42.0},
        Number{"1,000", 1.0}, Number{"-.5", -0.5}, Number{"1.5.2", 1.5}, Number{"1e3", 1000.0},
        Number{"1D2", 100.0}, Number{"1e", 1.0}, Number{"&HFF", 255.0}, Number{"&HFFFF", -1.0},
        Number{"&H8000", -32768.0}, Number{"&H10000", 65536.0}, Number{"&HFFFFFFFF", -1.0},
        Number{"&O177777", -1.0}, Number{"&O7z", 7.0}, Number{"", 0.0}, Number{"abc", 0.0},
        Number{"-", 0.0}}) {
    EXPECT_EQ(Val(text), value) << '"' << text << '"';
  }
}

TEST(Split, EmptyTextMissingAndRepeatedDelimiters) {
  EXPECT_TRUE(Split("", ",").empty());
  EXPECT_EQ(Split("abc", ","), (std::vector<std::string>{"abc"}));
  EXPECT_EQ(Split("a,,b,", ","), (std::vector<std::string>{"a", "", "b", ""}));
  EXPECT_EQ(Split("0[-]1[-]DMR_01A.BMS", "[-]"),
            (std::vector<std::string>{"0", "1", "DMR_01A.BMS"}));
  EXPECT_EQ(Split("a,b", ""), (std::vector<std::string>{"a,b"}));
  EXPECT_EQ(Split("aXxb", "x"), (std::vector<std::string>{"aX", "b"}));  // binary compare
  EXPECT_EQ(Join({"a", "", "b"}, "|"), "a||b");
}

TEST(Trim, RemovesSpacesOnly) {
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim("\ta\t"), "\ta\t");
  EXPECT_EQ(Trim(" x\r\n"), "x\r\n");
  EXPECT_EQ(LTrim("  a  "), "a  ");
  EXPECT_EQ(RTrim("  a  "), "  a");
}

TEST(InStr, CountsFromTheWholeStringAndHonoursStart) {
  EXPECT_EQ(InStr("abcabc", "c"), 3);
  EXPECT_EQ(InStr(4, "abcabc", "c"), 6);
  EXPECT_EQ(InStr(6, "abcabc", "c"), 6);
  EXPECT_EQ(InStr(7, "abcabc", "c"), 0);  // start past the end
  EXPECT_EQ(InStr("abc", "C"), 0);
  EXPECT_EQ(InStr(3, "abc", ""), 3);  // empty find returns start
  EXPECT_EQ(InStr(4, "abc", ""), 0);
  EXPECT_EQ(InStr("", ""), 0);
  EXPECT_EQ(errorOf([] { InStr(0, "abc", "a"); }), vberr::kInvalidCall);
  EXPECT_EQ(InStrRev("a\\b\\c", "\\"), 4);
  EXPECT_EQ(InStrRev("abc", "x"), 0);
}

TEST(Mid, ReturnsWhatThereIsAndRejectsBadArguments) {
  EXPECT_EQ(Left("abc", 5), "abc");
  EXPECT_EQ(Left("abc", 0), "");
  EXPECT_EQ(Right("abc", 2), "bc");
  EXPECT_EQ(Right("abc", 9), "abc");
  EXPECT_EQ(Mid("abcdef", 3), "cdef");
  EXPECT_EQ(Mid("abc", 2, 10), "bc");
  EXPECT_EQ(Mid("abc", 4), "");
  EXPECT_EQ(Mid("abc", 9, 2), "");
  for (const auto& call : std::vector<std::function<void()>>{
           [] { Mid("abc", 0); }, [] { Mid("abc", 0, 1); }, [] { Mid("abc", 1, -1); },
           [] { Left("abc", -1); }, [] { Right("abc", -1); }}) {
    EXPECT_EQ(errorOf(call), vberr::kInvalidCall);
  }
}

TEST(Replace, ReplacesEveryOccurrenceLeftToRight) {
  EXPECT_EQ(Replace("aaa", "aa", "b"), "ba");
  EXPECT_EQ(Replace("aaa", "a", "aa"), "aaaaaa");
  EXPECT_EQ(Replace("abc", "", "x"), "abc");
}

TEST(UCase, FoldsWindows1252Letters) {
  EXPECT_EQ(UCase("map_01.bms\xE9\xFF\x9A\xDF\xF7"), "MAP_01.BMS\xC9\x9F\x8A\xDF\xF7");
  EXPECT_EQ(LCase("MAP_01.BMS\xC9\x9F\x8A\xD7"), "map_01.bms\xE9\xFF\x9A\xD7");
  EXPECT_TRUE(EqualsText("caf\xE9", "CAF\xC9"));
  EXPECT_FALSE(EqualsText("Random", "Randoms"));
  EXPECT_FALSE(EqualsText("a", "b"));
}

}  // namespace
}  // namespace rotaryn::vb
