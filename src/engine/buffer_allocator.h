// Allocation of the engine's working buffers. Every buffer of a render goes
// through the render's one BufferAllocator, which records a failure (the
// render then ends out of memory) instead of throwing, refuses sizes that do
// not fit the address space, and can be told to fail a chosen allocation in
// tests.
// Threads may allocate through one allocator at the same time; the index of
// an allocation is then only fixed for allocations made one after another.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>

namespace ulvo {

class BufferAllocator {
 public:
  explicit BufferAllocator(int fail_at = -1) : fail_at_(fail_at) {}

  // A zero-filled array of count elements, or null after recording the
  // failure.
  template <typename T>
  std::unique_ptr<T[]> Zeroed(uint64_t count) {
    const int index = attempts_++;
    if (index == fail_at_ || count > std::numeric_limits<size_t>::max() / sizeof(T)) {
      failed_ = true;
      return nullptr;
    }
    std::unique_ptr<T[]> buffer(new (std::nothrow)
                                    T[count == 0 ? 1 : static_cast<size_t>(count)]());
    if (!buffer) {
      failed_ = true;
    } else {
      bytes_ += count * sizeof(T);
    }
    return buffer;
  }

  // Records a working buffer that could not be had elsewhere (a container
  // that threw): the render then ends out of memory like after a failed
  // allocation here.
  void NoteFailure() { failed_ = true; }

  int attempts() const { return attempts_.load(); }
  // Bytes of all successful allocations so far. Working buffers live until
  // the render ends, so for a render without failures this is its peak.
  uint64_t bytes() const { return bytes_.load(); }
  // True once any allocation of this allocator failed.
  bool failed() const { return failed_.load(); }

 private:
  int fail_at_;
  std::atomic<int> attempts_{0};
  std::atomic<uint64_t> bytes_{0};
  std::atomic<bool> failed_{false};
};

}  // namespace ulvo
