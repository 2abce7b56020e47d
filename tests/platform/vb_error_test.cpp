#include "platform/vb_error.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <vector>

#include "platform/component_registry.h"
#include "platform/error_trap.h"
#include "tests/platform/vb_error_of.h"

namespace rotaryn {
namespace {

TEST(VbError, CarriesVbsOwnDescriptionsUnlessGivenAPreciseOne) {
  EXPECT_EQ(vbErrorDescription(5), "Invalid procedure call or argument");
  EXPECT_EQ(vbErrorDescription(457),
            "This key is already associated with an element of this collection");
  EXPECT_EQ(vbErrorDescription(1234), "Application-defined or object-defined error");
  EXPECT_STREQ(VbError(53).what(), "File not found");
  VbError precise(70, "Permission denied: C:\\Host\\x.ini");
  EXPECT_EQ(precise.number(), 70);
  EXPECT_STREQ(precise.what(), "Permission denied: C:\\Host\\x.ini");
}

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

struct Widget : Component {};
struct Gadget : Component {};

TEST(ComponentRegistry, CreatesByIdentifierIgnoringCaseElse429) {
  ComponentRegistry registry;
  int created = 0;
  registry.registerFactory("Fennor.clsMFD", [&] {
    ++created;
    return std::make_shared<Widget>();
  });
  registry.registerFactory("Broken.clsNothing", [] { return nullptr; });

  EXPECT_TRUE(registry.createAs<Widget>("FENNOR.clsmfd"));
  EXPECT_EQ(created, 1);

  for (const char* progId : {"Gravik.clsMemory", "Broken.clsNothing"}) {
    EXPECT_EQ(errorOf([&] { registry.create(progId); }), 429) << progId;
    EXPECT_EQ(errorTextOf([&] { registry.create(progId); }),
              "ActiveX component can't create object");
  }
  EXPECT_THROW(registry.createAs<Gadget>("Fennor.clsMFD"), VbError);
}

}  // namespace
}  // namespace rotaryn
