#include "control/score_limits.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "memory/score_limits.h"
#include "plugin/module.h"
#include "tests/support/ui_window_fixture.h"

namespace rotaryn {
namespace {

constexpr int32_t kProfile = WindowFixture::kProfile;
using FieldWrite = std::pair<std::string, int64_t>;

// A server whose answer to one address is a run-time error.
std::shared_ptr<IMemoryAccess> failingAt(std::shared_ptr<IMemoryAccess> target, uint32_t at) {
  return std::make_shared<HookedMemory>(
      std::move(target), [at](std::string_view, int32_t address, int32_t*) {
        if (address == static_cast<int32_t>(at))
          raiseVbError(vberr::kPermissionDenied, "Permission denied");
      });
}

// A server whose limit rises by one at every read of it.
class RisingAt final : public MemoryAccessWrapper {
 public:
  RisingAt(std::shared_ptr<IMemoryAccess> target, int32_t address, int32_t from)
      : MemoryAccessWrapper(std::move(target)), address_(address), next_(from) {}
  int32_t ReadLong(int32_t& process, int32_t address) override {
    if (address == address_) return next_++;
    return target_->ReadLong(process, address);
  }

 private:
  int32_t address_;
  int32_t next_;
};

// Counts the texts each control shows.
class TextChanges final : public ControlObserver {
 public:
  void controlChanged(const std::string& control, Change what) override {
    if (what == Change::Text) ++counts[control];
  }
  std::map<std::string, int> counts;
};

// The profile's window on a standard server whose kill limit is its own MaxKills, whose king of
// the hill limit is configured (8, the server's own 10) and whose flagball limit falls back to
// MaxKills. Showing the limits wrote them into the configured fields; those writes are undone
// and forgotten, so the kill and flagball limits are not configured again.
frmRotarynMaps& load(WindowFixture& host, int32_t maxKills = 25) {
  sim::ServerModel& server = host.addProfile(kProfile);
  server.setLong("MaxKills", maxKills);
  server.setLong("KothLimit", 10);
  server.setLong("CKothLimit", 8);
  frmRotarynMaps& w = host.load();
  server.setLong("CMaxKills", 0);
  server.setLong("CGameScore", 0);
  server.clearClientWrites();
  return w;
}

FieldWrites limitWrites(WindowFixture& host) {
  return writesTo(host.server(),
                  {"CMaxKills", "CKothLimit", "CGameScore", "MaxKills", "KothLimit"});
}

// What the call raised; error 0 when it raised nothing.
template <class Call>
VbError failureOf(Call call) {
  try {
    call();
  } catch (const VbError& error) {
    return error;
  }
  return VbError(0, "nothing raised");
}

TextBox& limitBox(frmRotarynMaps& w, const std::string& name) {
  return name == "txtTkoth" ? w.txtTkoth : name == "txtTdm" ? w.txtTdm : w.txtFb;
}

TEST(LimitBoxes, TypedNumbersAreWrittenAndAnythingElseIsPutBack) {
  struct Case {
    const char* box;
    const char* typed;
    const char* shown;
    std::vector<FieldWrite> writes;
  };
  const std::vector<Case> cases = {
      {"txtTdm", "45", "45", {{"CMaxKills", 45}}},
      {"txtTdm", "500", "500", {{"CMaxKills", 500}}},
      {"txtTdm", "-5", "-5", {{"CMaxKills", -5}}},
      {"txtTkoth", "60", "60", {{"CKothLimit", 60}}},
      {"txtTkoth", "2.5", "2.5", {{"CKothLimit", 2}}},
      {"txtTkoth", "3.5", "3.5", {{"CKothLimit", 4}}},
      {"txtFb", "30", "30", {{"CGameScore", 30}}},
      // The limit the server already runs with is written all the same.
      {"txtTdm", "25.0", "25.0", {{"CMaxKills", 25}}},
      // A put-back is a change of the box: the value put back is written. While the configured
      // field is 0 that is the server's own limit.
      {"txtTkoth", "61", "8", {{"CKothLimit", 8}}},
      {"txtFb", "501", "25", {{"CGameScore", 25}}},
      {"txtTdm", "0", "25", {{"CMaxKills", 25}}},
      {"txtTdm", "", "25", {{"CMaxKills", 25}}},
      {"txtTdm", "ten", "25", {{"CMaxKills", 25}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.box) + " <- \"" + c.typed + "\"");
    WindowFixture host;
    frmRotarynMaps& w = load(host);
    ASSERT_EQ(w.txtTdm.text.get(), "25");
    ASSERT_EQ(w.txtTkoth.text.get(), "8");
    ASSERT_EQ(w.txtFb.text.get(), "25");
    TextBox& box = limitBox(w, c.box);
    box.text = c.typed;
    EXPECT_EQ(box.text.get(), c.shown);
    EXPECT_EQ(limitWrites(host), c.writes);
    EXPECT_TRUE(host.dialogs.boxes().empty());
  }
}

// A server limit above what the box accepts: put back once, never written, no loop.
TEST(LimitBoxes, AnOutOfRangeServerLimitIsShownOnceAndNotWritten) {
  WindowFixture host;
  frmRotarynMaps& w = load(host, 1000);
  ASSERT_EQ(w.txtTdm.text.get(), "1000");
  TextChanges changes;
  w.subscribe(changes);
  for (const char* typed : {"abc", "0", "501"}) {
    SCOPED_TRACE(typed);
    changes.counts.clear();
    w.txtTdm.text = typed;
    EXPECT_EQ(w.txtTdm.text.get(), "1000");
    EXPECT_EQ(changes.counts["txtTdm"], 2);  // the typed text, then the put-back
  }

  // Even when the server's answer changes between the reads of the two runs.
  host.module.MemoryAccess = std::make_shared<RisingAt>(
      host.module.MemoryAccess, static_cast<int32_t>(host.server().layout().at("MaxKills")), 2000);
  changes.counts.clear();
  w.txtTdm.text = "abc";
  EXPECT_EQ(w.txtTdm.text.get(), "2000");
  EXPECT_EQ(changes.counts["txtTdm"], 2);
  w.unsubscribe(changes);
  EXPECT_TRUE(limitWrites(host).empty());
  EXPECT_TRUE(host.dialogs.boxes().empty());
}

TEST(LimitBoxes, AFailingReadIsReportedUnderTheBoxsNameAndNothingIsWritten) {
  WindowFixture host;
  frmRotarynMaps& w = load(host);
  host.module.MemoryAccess =
      failingAt(host.module.MemoryAccess, host.server().layout().at("CKothLimit"));
  w.txtTkoth.text = "30";
  EXPECT_EQ(host.failuresOf("txtTkoth"), 1);
  EXPECT_EQ(host.dialogs.boxes().size(), 1u);
  EXPECT_EQ(w.txtTkoth.text.get(), "30");
  EXPECT_TRUE(limitWrites(host).empty());
}

// The boxes are left alone and SetScore fails saying why; neither writes anything.
TEST(LimitBoxes, AnAffiliateProfileHasNoLimitsToSet) {
  WindowFixture host;
  frmRotarynMaps& w = host.load({.build = sim::ServerBuild::kAffiliate});
  host.server().clearClientWrites();
  EXPECT_FALSE(w.txtTdm.enabled.get());
  // Only code can change a disabled box; the handler reads no field the build lacks.
  w.txtTdm.text = "45";
  w.txtTdm.text = "";
  EXPECT_TRUE(host.dialogs.boxes().empty());

  const VbError error = failureOf([&] { SetScore(host.module, kProfile, 5, 6, 7); });
  EXPECT_EQ(error.number(), vberr::kInvalidCall);
  EXPECT_EQ(error.description(), kNoLimitFieldsForSetScore);
  EXPECT_TRUE(host.server().clientWrites().empty());
}

TEST(SetScoreMethod, WritesTheThreeLimitsAsGivenAndZeroClearsOne) {
  WindowFixture host;
  frmRotarynMaps& w = load(host);
  SetScore(host.module, kProfile, 70, 800, -3);
  EXPECT_EQ(limitWrites(host),
            (std::vector<FieldWrite>{{"CKothLimit", 70}, {"CMaxKills", 800}, {"CGameScore", -3}}));
  // The boxes keep what they showed.
  EXPECT_EQ(w.txtTdm.text.get(), "25");
  EXPECT_EQ(readScoreLimits(host.module, kProfile)->kills, 800);

  SetScore(host.module, kProfile, 70, 0, -3);
  EXPECT_EQ(host.server().longAt("CMaxKills"), 0);
  // The server's own MaxKills is the kill limit again.
  EXPECT_EQ(readScoreLimits(host.module, kProfile)->kills, 25);
}

TEST(SetScoreMethod, FailsToTheCallerKeepingWhatItWroteBefore) {
  WindowFixture host;
  load(host);
  host.module.MemoryAccess =
      failingAt(host.module.MemoryAccess, host.server().layout().at("CMaxKills"));
  EXPECT_EQ(failureOf([&] { SetScore(host.module, kProfile, 5, 6, 7); }).number(),
            vberr::kPermissionDenied);
  EXPECT_EQ(limitWrites(host), (std::vector<FieldWrite>{{"CKothLimit", 5}}));
  EXPECT_TRUE(host.dialogs.boxes().empty());
  EXPECT_EQ(failureOf([&] { SetScore(host.module, 7, 5, 6, 7); }).number(),
            vberr::kSubscriptOutOfRange);
}

}  // namespace
}  // namespace rotaryn
