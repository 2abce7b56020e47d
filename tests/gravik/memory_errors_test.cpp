#include "components/gravik/memory_errors.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>

#include "components/gravik/process_memory.h"
#include "platform/vb_error.h"

namespace rotaryn::gravik {
namespace {

std::string failureOf(int error) {
  try {
    raiseFromErrno(error, 4321, 0x9E4748, 4, false);
  } catch (const VbError& raised) {
    return std::to_string(raised.number()) + " " + raised.description();
  }
  return "nothing raised";
}

// Each errno gives its VB number and a text naming the pid, the address or the remedy.
TEST(MemoryErrors, EachErrnoSaysWhatWentWrongAndWhere) {
  using ::testing::AllOf;
  using ::testing::HasSubstr;
  using ::testing::StartsWith;
  EXPECT_THAT(failureOf(EPERM),
              AllOf(StartsWith("70 "), HasSubstr("process 4321"), HasSubstr("ptrace_scope"),
                    HasSubstr("CAP_SYS_PTRACE"), HasSubstr("host start the server")));
  EXPECT_THAT(failureOf(ESRCH),
              AllOf(StartsWith("5 "), HasSubstr("no server process with id 4321")));
  EXPECT_THAT(failureOf(EFAULT), AllOf(StartsWith("57 "), HasSubstr("0x9E4748"),
                                       HasSubstr("not mapped in process 4321")));
}

TEST(ProcessMemory, RefusesANonPositivePidBeforeAnySystemCall) {
  ProcessMemory memory;
  int32_t pid = 0;
  EXPECT_THROW(memory.ReadLong(pid, 0x9E4748), VbError);
  pid = -3;
  EXPECT_THROW(memory.ReadStr(pid, 0x9E4748), VbError);
}

}  // namespace
}  // namespace rotaryn::gravik
