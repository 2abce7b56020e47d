#include "platform/vb_error.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <vector>

#include "platform/error_trap.h"
#include "platform/variant.h"
#include "tests/platform/vb_error_of.h"

namespace rotaryn {
namespace {

// The step reached is reported; C++ failures map to 7 and 51; skippable steps swallow only
// their own numbers.
TEST(ErrorTrap, ReportsTheStepReachedAndMapsCppFailures) {
  std::vector<std::string> reports;
  auto record = [&](const std::string& procedure, const VbError& error, int line, int profile) {
    reports.push_back(procedure + " " + std::to_string(error.number()) + " " + error.description() +
                      " @" + std::to_string(line) + " p" + std::to_string(profile));
  };
  ErrorTrap vbFailure("tmrMaps", 3, record);
  EXPECT_FALSE(vbFailure.run([&] {
    vbFailure.at(10);
    vbFailure.at(20);
    raiseVbError(vberr::kPathNotFound);
  }));
  ErrorTrap outOfMemory("cmdAdd", 1, record);
  EXPECT_FALSE(outOfMemory.run([] { throw std::bad_alloc(); }));
  ErrorTrap defect("LoadInterface", 2, record);
  EXPECT_FALSE(defect.run([] { throw std::out_of_range("vector::at"); }));
  ErrorTrap fine("cmdSkip", 1, record);
  EXPECT_TRUE(fine.run([] {}));
  bool reachedNext = false;
  ErrorTrap trap("LoadInterface", 1, record);
  EXPECT_FALSE(trap.run([&] {
    trap.skippable(9, {vberr::kObjectAlreadyLoaded},
                   [] { raiseVbError(vberr::kObjectAlreadyLoaded); });
    reachedNext = true;
    trap.skippable(10, {vberr::kObjectAlreadyLoaded}, [] { raiseVbError(vberr::kOverflow); });
  }));
  EXPECT_TRUE(reachedNext);

  ASSERT_EQ(reports.size(), 4u);
  EXPECT_EQ(reports[0], "tmrMaps 76 Path not found @20 p3");
  EXPECT_EQ(reports[1], "cmdAdd 7 Out of memory @0 p1");
  EXPECT_NE(reports[2].find("LoadInterface 51 Internal error"), std::string::npos);
  EXPECT_NE(reports[2].find("vector::at"), std::string::npos);
  EXPECT_EQ(reports[3], "LoadInterface 6 Overflow @10 p1");
}

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
