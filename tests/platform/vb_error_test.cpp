#include "platform/vb_error.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <vector>

#include "platform/component_registry.h"
#include "platform/error_trap.h"

namespace rotaryn {
namespace {

TEST(VbError, CarriesVbsOwnDescriptions) {
  EXPECT_EQ(vbErrorDescription(5), "Invalid procedure call or argument");
  EXPECT_EQ(vbErrorDescription(7), "Out of memory");
  EXPECT_EQ(vbErrorDescription(51), "Internal error");
  EXPECT_EQ(vbErrorDescription(76), "Path not found");
  EXPECT_EQ(vbErrorDescription(340), "Control array element does not exist");
  EXPECT_EQ(vbErrorDescription(360), "Object already loaded");
  EXPECT_EQ(vbErrorDescription(429), "ActiveX component can't create object");
  EXPECT_EQ(vbErrorDescription(457),
            "This key is already associated with an element of this collection");
  EXPECT_EQ(vbErrorDescription(1234), "Application-defined or object-defined error");
  EXPECT_EQ(vbErrorDescription(0), "Application-defined or object-defined error");

  VbError error(53);
  EXPECT_EQ(error.description(), "File not found");
  EXPECT_STREQ(error.what(), "File not found");
  VbError precise(70, "Permission denied: C:\\Host\\x.ini");
  EXPECT_EQ(precise.number(), 70);
  EXPECT_EQ(precise.description(), "Permission denied: C:\\Host\\x.ini");
}

struct Reported {
  std::string procedure;
  int number;
  std::string description;
  int line;
  int profile;
};

TEST(ErrorTrap, ReportsTheStepReachedAndMapsCppFailures) {
  std::vector<Reported> reports;
  auto record = [&](const std::string& procedure, const VbError& error, int line, int profile) {
    reports.push_back({procedure, error.number(), error.description(), line, profile});
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

  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[0].procedure, "tmrMaps");
  EXPECT_EQ(reports[0].number, 76);
  EXPECT_EQ(reports[0].line, 20);
  EXPECT_EQ(reports[0].profile, 3);
  EXPECT_EQ(reports[1].number, 7);
  EXPECT_EQ(reports[1].description, "Out of memory");
  EXPECT_EQ(reports[2].number, 51);
  EXPECT_NE(reports[2].description.find("Internal error"), std::string::npos);
  EXPECT_NE(reports[2].description.find("vector::at"), std::string::npos);
}

TEST(ErrorTrap, SkippableStepsSwallowOnlyTheirNumbers) {
  std::vector<Reported> reports;
  ErrorTrap trap("LoadInterface", 1, [&](const std::string& p, const VbError& e, int l, int i) {
    reports.push_back({p, e.number(), e.description(), l, i});
  });
  bool reachedNext = false;
  EXPECT_FALSE(trap.run([&] {
    trap.skippable(9, {vberr::kObjectAlreadyLoaded},
                   [] { raiseVbError(vberr::kObjectAlreadyLoaded); });
    reachedNext = true;
    trap.skippable(10, {vberr::kObjectAlreadyLoaded}, [] { raiseVbError(vberr::kOverflow); });
  }));
  EXPECT_TRUE(reachedNext);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].number, 6);
  EXPECT_EQ(reports[0].line, 10);
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

  EXPECT_TRUE(registry.has("fennor.CLSMFD"));
  EXPECT_TRUE(registry.createAs<Widget>("FENNOR.clsmfd"));
  EXPECT_EQ(created, 1);

  for (const char* progId : {"Gravik.clsMemory", "Broken.clsNothing"}) {
    try {
      registry.create(progId);
      ADD_FAILURE() << progId;
    } catch (const VbError& error) {
      EXPECT_EQ(error.number(), 429);
      EXPECT_EQ(error.description(), "ActiveX component can't create object");
    }
  }
  EXPECT_THROW(registry.createAs<Gadget>("Fennor.clsMFD"), VbError);
}

}  // namespace
}  // namespace rotaryn
