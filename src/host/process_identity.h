// Which process this is, in a form that tells it apart from an earlier
// process that had the same id: the depth hand-off notes its donor process
// this way, so that a later run can tell whether the note is its own.
#pragma once

#include <cstdint>
#include <string>

namespace ulvo {

struct ProcessIdentity {
  uint64_t id = 0;
  // When the process started, as the system tells it (an opaque token of
  // printable characters without spaces); empty when it cannot be told.
  std::string started;

  bool known() const { return id != 0 && !started.empty(); }
  bool operator==(const ProcessIdentity&) const = default;
};

// This process.
ProcessIdentity CurrentProcessIdentity();

// True while the process named by `identity` (same id, same start) runs.
bool ProcessIsRunning(const ProcessIdentity& identity);

}  // namespace ulvo
