#include "src/engine/worker_runner.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace ulvo {

void RunOnWorkers(int count, const std::function<void(int)>& job,
                  const std::function<void(bool)>& tick, std::chrono::milliseconds interval) {
  std::mutex mutex;
  std::condition_variable finished_cv;
  int finished = 0;
  const auto run = [&](int i) {
    job(i);
    std::lock_guard<std::mutex> lock(mutex);
    ++finished;
    finished_cv.notify_one();
  };
  std::vector<std::thread> workers;
  int started = 0;
  for (; started < count; ++started) {
    try {
      workers.emplace_back(run, started);
    } catch (...) {
      break;
    }
  }
  for (int i = started; i < count; ++i) run(i);

  for (;;) {
    bool all = false;
    {
      std::unique_lock<std::mutex> lock(mutex);
      all = finished_cv.wait_for(lock, interval, [&] { return finished == count; });
    }
    tick(all);
    if (all) break;
  }
  for (std::thread& worker : workers) worker.join();
}

}  // namespace ulvo
