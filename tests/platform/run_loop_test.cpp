#include "platform/adapters/run_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "platform/vb_error.h"

namespace rotaryn {
namespace {

// Real time: the assertions are about order and completion, never about durations; the
// timeouts only stop a broken loop from hanging the suite.
constexpr int64_t kGenerousTimeoutMs = 10000;

TEST(RunLoop, RunsTicksUntilThePredicateHolds) {
  RunLoop loop;
  std::vector<std::string> log;
  loop.create("fast", 1, [&] { log.push_back("fast"); });
  loop.setInterval("fast", 1, 2);
  loop.start("fast", 1);
  loop.create("once", 1, [&] {
    log.push_back("once");
    loop.destroy("once", 1);
  });
  loop.setInterval("once", 1, 1);
  loop.start("once", 1);

  EXPECT_TRUE(loop.runUntil([&] { return log.size() >= 5; }, kGenerousTimeoutMs));
  EXPECT_EQ(std::count(log.begin(), log.end(), "once"), 1);
  EXPECT_FALSE(loop.exists("once", 1));
  EXPECT_THROW(loop.create("fast", 1, [] {}), VbError);
}

TEST(RunLoop, PostedTasksFromAnotherThreadRunOnTheLoopAndQuitEndsIt) {
  RunLoop loop;
  std::thread::id ranOn;
  std::thread other([&] {
    loop.post([&] {
      ranOn = std::this_thread::get_id();
      loop.quit();
    });
  });
  EXPECT_FALSE(loop.runUntil([] { return false; }, kGenerousTimeoutMs * 6));
  other.join();
  EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(RunLoop, QuitFromANestedRunEndsTheOuterOneToo) {
  RunLoop loop;
  int outerTurns = 0;
  loop.create("nest", 1, [&] {
    loop.stop("nest", 1);
    loop.post([&] { loop.quit(); });
    loop.runUntil([] { return false; }, kGenerousTimeoutMs);
  });
  loop.setInterval("nest", 1, 1);
  loop.start("nest", 1);
  loop.runUntil(
      [&] {
        ++outerTurns;
        return false;
      },
      kGenerousTimeoutMs * 6);
  EXPECT_GE(outerTurns, 1);
  // The loop can run again after a quit.
  bool ran = false;
  loop.post([&] { ran = true; });
  EXPECT_TRUE(loop.runUntil([&] { return ran; }, kGenerousTimeoutMs));
}

}  // namespace
}  // namespace rotaryn
