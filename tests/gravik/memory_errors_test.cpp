#include "components/gravik/memory_errors.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "components/gravik/process_memory.h"
#include "platform/vb_error.h"

namespace rotaryn::gravik {
namespace {

VbError errorOf(int error) {
  try {
    raiseFromErrno(error, 4321, 0x9E4748, 4, false);
  } catch (const VbError& raised) {
    return raised;
  }
  return VbError(0);
}

TEST(MemoryErrors, PermissionDeniedSaysHowToGrantPtracePermission) {
  VbError error = errorOf(EPERM);
  EXPECT_EQ(error.number(), 70);
  for (const char* part : {"process 4321", "ptrace", "ptrace_scope", "CAP_SYS_PTRACE",
                           "host start the server"}) {
    EXPECT_NE(error.description().find(part), std::string::npos) << part << " in " << error.description();
  }
}

TEST(MemoryErrors, NoProcessAndUnmappedAddressNameThePidAndTheAddress) {
  VbError gone = errorOf(ESRCH);
  EXPECT_EQ(gone.number(), 5);
  EXPECT_NE(gone.description().find("no server process with id 4321"), std::string::npos);
  VbError unmapped = errorOf(EFAULT);
  EXPECT_EQ(unmapped.number(), 57);
  EXPECT_NE(unmapped.description().find("0x9E4748"), std::string::npos);
  EXPECT_NE(unmapped.description().find("not mapped in process 4321"), std::string::npos);
}

TEST(ProcessMemory, RefusesANonPositivePidBeforeAnySystemCall) {
  ProcessMemory memory;
  int32_t pid = 0;
  EXPECT_THROW(memory.ReadLong(pid, 0x9E4748), VbError);
  pid = -3;
  EXPECT_THROW(memory.ReadStr(pid, 0x9E4748), VbError);
}

TEST(ProcessMemory, DeliveryIsTheMailboxUnlessSetPerProfileOrForAll) {
  ProcessMemory memory;
  EXPECT_EQ(memory.deliveryFor(1), CommandDelivery::kMailbox);
  memory.setDelivery(3, CommandDelivery::kNone);
  EXPECT_EQ(memory.deliveryFor(3), CommandDelivery::kNone);
  EXPECT_EQ(memory.deliveryFor(1), CommandDelivery::kMailbox);
  memory.setDelivery(CommandDelivery::kNone);
  EXPECT_EQ(memory.deliveryFor(1), CommandDelivery::kNone);
  EXPECT_EQ(parseDelivery("mailbox"), CommandDelivery::kMailbox);
  EXPECT_EQ(parseDelivery("none"), CommandDelivery::kNone);
  EXPECT_FALSE(parseDelivery("pipe"));
}

}  // namespace
}  // namespace rotaryn::gravik
