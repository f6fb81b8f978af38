// The test program's own operator new and delete, which count what the code
// under test allocates and can make one chosen allocation fail: the throwing
// forms then throw std::bad_alloc, the nothrow forms return null, as they do
// when a process runs out of memory. Counting is global and thread-safe, so
// allocations on the engine's threads count too.
#pragma once

#include <cstdint>

namespace ulvo::testing {

// Restarts the count of allocation calls at 0 and makes the one numbered
// `index` fail (and only that one); UINT64_MAX fails none. Only calls made
// inside a CountedAllocations scope count.
void SetAllocationFailure(uint64_t index);
// The calls counted since SetAllocationFailure.
uint64_t CountedAllocations();
// True when the chosen failure happened.
bool AllocationFailureHappened();
// Blocks allocated by operator new and not yet deleted, counted at all times.
int64_t LiveAllocations();

// Counts (and fails) allocations for its lifetime: the code under test runs
// inside, the test's own work outside.
class CountingScope {
 public:
  CountingScope();
  ~CountingScope();
  CountingScope(const CountingScope&) = delete;
  CountingScope& operator=(const CountingScope&) = delete;
};

}  // namespace ulvo::testing
