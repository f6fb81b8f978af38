#include <windows.h>

#include <memory>

#include "src/host/process_identity.h"

namespace ulvo {
namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using ProcessHandle = std::unique_ptr<void, HandleCloser>;

// The creation time of the process (100 ns units since 1601) as decimal
// digits; empty when the system does not tell it.
std::string CreationToken(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return {};
  const uint64_t ticks = (uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
  return ticks == 0 ? std::string() : std::to_string(ticks);
}

}  // namespace

ProcessIdentity CurrentProcessIdentity() {
  ProcessIdentity identity;
  identity.id = GetCurrentProcessId();
  identity.started = CreationToken(GetCurrentProcess());
  return identity;
}

bool ProcessIsRunning(const ProcessIdentity& identity) {
  if (!identity.known() || identity.id > MAXDWORD) return false;
  const ProcessHandle process(
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(identity.id)));
  if (!process) return false;
  DWORD code = 0;
  if (!GetExitCodeProcess(process.get(), &code) || code != STILL_ACTIVE) return false;
  return CreationToken(process.get()) == identity.started;
}

}  // namespace ulvo
