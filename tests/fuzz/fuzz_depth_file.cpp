// The module's depth hand-off reader on any file, with the caller's
// expectations and buffer taken from the first input bytes: the buffer has
// exactly the capacity it claims, so the sanitizers see a write beyond it.
// Nothing may be written unless the read succeeds, and success must mean a
// well-formed header that fits the buffer.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "src/host/depth_file.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/scratch_file.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

// Capacities up to 1 MiB; larger claims are clamped.
constexpr int64_t kMaxCapacity = int64_t{1} << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ulvo::fuzz::FuzzInput input(data, size);
  const uint8_t flags = input.U8();
  const int32_t expectWidth = input.Bit(flags, 0) ? input.I16() : -1;
  const int32_t expectHeight = input.Bit(flags, 1) ? input.I16() : -1;
  const int32_t slack = input.I16();  // capacity relative to the announced size
  const std::vector<uint8_t> contents = input.Rest();
  const ulvo::fuzz::ScratchFile file(contents.data(), contents.size(), ".dat");

  ulvo::DepthFileInfo info;
  const ulvo::DepthFileStatus infoStatus = ulvo::ReadDepthFileInfo(file.path(), &info);
  if (infoStatus == ulvo::DepthFileStatus::kOk) {
    Require(ulvo::DepthFileInfoValid(info));
    Require(contents.size() >= static_cast<size_t>(ulvo::kDepthFileHeaderBytes) + info.size);
  }

  int64_t capacity = (infoStatus == ulvo::DepthFileStatus::kOk ? info.size : 0) + slack;
  if (capacity < 0) capacity = 0;
  if (capacity > kMaxCapacity) capacity = kMaxCapacity;
  constexpr uint8_t kUntouched = 0x5a;
  std::vector<uint8_t> dest(static_cast<size_t>(capacity), kUntouched);
  ulvo::DepthFileInfo read;
  const ulvo::DepthFileStatus status =
      ulvo::ReadDepthFile(file.path(), expectWidth, expectHeight,
                          dest.empty() ? nullptr : dest.data(), dest.size(), &read);
  if (status == ulvo::DepthFileStatus::kOk) {
    Require(infoStatus == ulvo::DepthFileStatus::kOk);
    Require(ulvo::DepthFileInfoValid(read) && static_cast<size_t>(read.size) <= dest.size());
    Require(expectWidth < 0 || read.width == expectWidth);
    Require(expectHeight < 0 || read.height == expectHeight);
    for (int32_t i = 0; i < read.size; ++i) {
      Require(dest[static_cast<size_t>(i)] == contents[ulvo::kDepthFileHeaderBytes + i]);
    }
  } else {
    for (const uint8_t byte : dest) Require(byte == kUntouched);
  }
  return 0;
}
