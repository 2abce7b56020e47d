#include "platform/variant.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/vb_error.h"
#include "tests/platform/vb_error_of.h"

namespace rotaryn {
namespace {

TEST(Variant, RawAccessToAnotherTypeIsTypeMismatch) {
  Variant text("7");
  EXPECT_EQ(text.asString(), "7");
  EXPECT_EQ(errorOf([&] { text.asLong(); }), vberr::kTypeMismatch);
  EXPECT_EQ(errorOf([] { Variant(int16_t{1}).asLong(); }), vberr::kTypeMismatch);
  EXPECT_EQ(errorOf([] { Variant().asBoolean(); }), vberr::kTypeMismatch);
  EXPECT_NE(Variant(int16_t{5}), Variant(int32_t{5}));
}

TEST(Variant, ArraysAreZeroBasedWithBoundsChecks) {
  Variant pdat(Variant::Array{"C:\\Games\\DFBHD", int32_t{1234}, true});
  EXPECT_EQ(pdat.upperBound(), 2);
  EXPECT_EQ(pdat.at(1).asLong(), 1234);
  EXPECT_EQ(errorOf([&] { pdat.at(3); }), vberr::kSubscriptOutOfRange);
  EXPECT_EQ(errorOf([&] { pdat.at(-1); }), vberr::kSubscriptOutOfRange);
  EXPECT_EQ(Variant(Variant::Array{}).upperBound(), -1);
  EXPECT_EQ(errorOf([] { Variant("x").upperBound(); }), vberr::kTypeMismatch);
  EXPECT_EQ(errorOf([] { Variant(1.0).at(0); }), vberr::kTypeMismatch);
}

}  // namespace
}  // namespace rotaryn
