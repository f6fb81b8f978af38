// Runs one job per worker thread while the calling thread stays free to
// talk to the progress reporter.
#pragma once

#include <chrono>
#include <functional>

namespace ulvo {

// Runs job(i) for i = 0..count − 1, each on a thread of its own, and calls
// tick(all_done) on the calling thread at least every `interval` until all
// jobs have ended (the last call with all_done true). Should a thread fail
// to start, its job and those after it run on the calling thread first.
void RunOnWorkers(int count, const std::function<void(int)>& job,
                  const std::function<void(bool)>& tick, std::chrono::milliseconds interval);

}  // namespace ulvo
