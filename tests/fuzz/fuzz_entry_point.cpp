// The module's selector protocol under a host whose every value comes from
// the input: selector order, image mode and planes, filter rectangle and
// selection, row distances, buffers of exactly the announced size, null
// pointers and data slot values. The editor is a stand-in that touches what
// the real one may touch, so that many calls run per second.
#include <cstdint>

#include "tests/fuzz/filter_calls.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kMaxCalls = 16;
  constexpr size_t kMaxBufferBytes = size_t{1} << 20;
  ulvo::fuzz::PlayFilterCalls(ulvo::fuzz::DecodeCalls(data, size, kMaxCalls),
                              ulvo::fuzz::TouchLikeTheEditor, kMaxBufferBytes);
  return 0;
}
