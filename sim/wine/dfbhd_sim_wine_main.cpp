// dfbhd-sim.exe: dfbhd-sim as a Windows program, run under Wine. Same command line and server
// model as the Linux program; the fields live in the program's image at the real addresses
// (image_memory.h), so reaching them from Linux with process_vm_readv on the Wine process tests
// exactly what reaching a real server under Wine needs.

#include <windows.h>

#include <iostream>
#include <memory>

#include "sim/dfbhd_sim_options.h"
#include "sim/wine/image_memory.h"

namespace {

HANDLE stopEvent = nullptr;

// Ctrl-C, Ctrl-Break and closing the console stop the server; SIGTERM ends a Wine process
// outright.
BOOL WINAPI stopOnControl(DWORD) {
  SetEvent(stopEvent);
  return TRUE;
}

bool underWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Under Wine the program is a Linux process, and a Linux system call made directly reaches the
// kernel. Windows has no way to say either of the two things below.
long linuxCall(long number, long first, long second) {
  long result = 0;
#if defined(__x86_64__)
  asm volatile("syscall"
               : "=a"(result)
               : "a"(number), "D"(first), "S"(second)
               : "rcx", "r11", "memory");
#elif defined(__i386__)
  asm volatile("int $0x80" : "=a"(result) : "a"(number), "b"(first), "c"(second) : "memory");
#else
#error "dfbhd-sim.exe is built for x86 and x86-64 only"
#endif
  return result;
}

#if defined(__x86_64__)
constexpr long kGetPid = 39;
constexpr long kPrctl = 157;
#else
constexpr long kGetPid = 20;
constexpr long kPrctl = 172;
#endif
constexpr long kSetPtracer = 0x59616d61;  // PR_SET_PTRACER
constexpr long kAnyPtracer = -1;          // PR_SET_PTRACER_ANY

}  // namespace

int main(int argc, char** argv) {
  rotaryn::sim::SimArguments arguments = rotaryn::sim::parseSimArguments(argc, argv);

  stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (stopEvent == nullptr || !SetConsoleCtrlHandler(stopOnControl, TRUE)) {
    std::cerr << "dfbhd-sim: cannot watch for Ctrl-C (error " << GetLastError() << ")\n";
    return 1;
  }

  std::unique_ptr<rotaryn::sim::ServerModel> server = rotaryn::sim::makeServer(
      [] { return std::make_unique<rotaryn::sim::ImageMemory>(); }, arguments);
  if (server == nullptr) return 1;

  // The pid that reads us is the Linux one; and, as the Linux program does, any process may
  // read and write us, not only our ancestors (Yama ptrace_scope 1).
  int64_t pid = GetCurrentProcessId();
  if (underWine()) {
    pid = linuxCall(kGetPid, 0, 0);
    linuxCall(kPrctl, kSetPtracer, kAnyPtracer);
  }
  std::cout << rotaryn::sim::readyLine(pid, arguments.server.build) << std::endl;

  rotaryn::sim::runServer(*server, arguments.tickMs, [](int ms) {
    return WaitForSingleObject(stopEvent, static_cast<DWORD>(ms)) == WAIT_OBJECT_0;
  });
  if (arguments.verbose) std::cout << "dfbhd-sim: stopping" << std::endl;
  return 0;
}
