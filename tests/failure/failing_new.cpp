#include "tests/failure/failing_new.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace ulvo::testing {
namespace {

constexpr uint64_t kNever = UINT64_MAX;

std::atomic<bool> armed{false};
std::atomic<uint64_t> calls{0};
std::atomic<uint64_t> failAt{kNever};
std::atomic<bool> happened{false};
std::atomic<int64_t> live{0};

// True when this call is the one to fail.
bool ShouldFail() {
  if (!armed.load(std::memory_order_acquire)) return false;
  const uint64_t index = calls.fetch_add(1, std::memory_order_relaxed);
  if (index != failAt.load(std::memory_order_relaxed)) return false;
  happened.store(true, std::memory_order_relaxed);
  return true;
}

void* Allocate(std::size_t size, std::size_t alignment) {
  if (ShouldFail()) return nullptr;
  if (size == 0) size = 1;
  void* block = nullptr;
  if (alignment <= alignof(std::max_align_t)) {
    block = std::malloc(size);
  } else if (posix_memalign(&block, alignment, size) != 0) {
    block = nullptr;
  }
  if (block != nullptr) live.fetch_add(1, std::memory_order_relaxed);
  return block;
}

void* AllocateOrThrow(std::size_t size, std::size_t alignment) {
  void* block = Allocate(size, alignment);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

void Release(void* block) {
  if (block == nullptr) return;
  live.fetch_sub(1, std::memory_order_relaxed);
  std::free(block);
}

}  // namespace

void SetAllocationFailure(uint64_t index) {
  calls.store(0);
  failAt.store(index);
  happened.store(false);
}

uint64_t CountedAllocations() {
  return calls.load();
}

CountingScope::CountingScope() {
  armed.store(true, std::memory_order_release);
}

CountingScope::~CountingScope() {
  armed.store(false, std::memory_order_release);
}

bool AllocationFailureHappened() {
  return happened.load();
}

int64_t LiveAllocations() {
  return live.load();
}

}  // namespace ulvo::testing

using ulvo::testing::Allocate;
using ulvo::testing::AllocateOrThrow;
using ulvo::testing::Release;

constexpr std::size_t kDefaultAlignment = alignof(std::max_align_t);

void* operator new(std::size_t size) {
  return AllocateOrThrow(size, kDefaultAlignment);
}
void* operator new[](std::size_t size) {
  return AllocateOrThrow(size, kDefaultAlignment);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size, kDefaultAlignment);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size, kDefaultAlignment);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  return AllocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return AllocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return Allocate(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return Allocate(size, static_cast<std::size_t>(alignment));
}

void operator delete(void* block) noexcept {
  Release(block);
}
void operator delete[](void* block) noexcept {
  Release(block);
}
void operator delete(void* block, std::size_t) noexcept {
  Release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  Release(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
  Release(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
  Release(block);
}
void operator delete(void* block, std::align_val_t) noexcept {
  Release(block);
}
void operator delete[](void* block, std::align_val_t) noexcept {
  Release(block);
}
void operator delete(void* block, std::size_t, std::align_val_t) noexcept {
  Release(block);
}
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept {
  Release(block);
}
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept {
  Release(block);
}
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept {
  Release(block);
}
