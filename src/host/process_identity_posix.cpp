#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "src/host/process_identity.h"

namespace ulvo {
namespace {

std::string FirstLine(const std::string& path) {
  std::ifstream file(path);
  std::string line;
  std::getline(file, line);
  return line;
}

// The start of process `id`: this boot's id and the process's start time in
// clock ticks since boot (field 22 of its stat line). Empty when unknown.
std::string StartToken(uint64_t id) {
  const std::string boot = FirstLine("/proc/sys/kernel/random/boot_id");
  const std::string stat = FirstLine("/proc/" + std::to_string(id) + "/stat");
  // The command name (field 2) is in parentheses and may hold anything.
  const size_t close = stat.rfind(')');
  if (boot.empty() || close == std::string::npos) return {};
  std::istringstream fields(stat.substr(close + 1));
  std::string field;
  for (int index = 3; index <= 22 && fields >> field; ++index) {
    if (index == 22) return boot + ":" + field;
  }
  return {};
}

}  // namespace

ProcessIdentity CurrentProcessIdentity() {
  ProcessIdentity identity;
  identity.id = static_cast<uint64_t>(getpid());
  identity.started = StartToken(identity.id);
  return identity;
}

bool ProcessIsRunning(const ProcessIdentity& identity) {
  return identity.known() && StartToken(identity.id) == identity.started;
}

}  // namespace ulvo
