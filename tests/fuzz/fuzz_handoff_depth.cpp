// The command-line tool's reader of the depth hand-off file, from memory and
// from a file. An accepted plane must be addressable everywhere its width and
// height say, and writing it out again must give back the bytes it came from.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/fuzz/scratch_file.h"
#include "tools/ulvofilter/handoff_depth.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  ulvo::DepthPlane plane;
  std::string error;
  const bool parsed = ulvo::ParseHandoffDepth(bytes, plane, error);
  if (!parsed) {
    Require(!error.empty() && plane.bottomUp.empty());
  } else {
    Require(plane.width > 0 && plane.height > 0 && plane.rowBytes >= plane.width);
    Require(plane.bottomUp.size() == static_cast<size_t>(plane.rowBytes) * plane.height);
    // Row y (top-down) is stored as row height - 1 - y after the header.
    for (int y = 0; y < plane.height; ++y) {
      const size_t row = 16 + static_cast<size_t>(plane.height - 1 - y) * plane.rowBytes;
      Require(plane.at(0, y) == bytes[row]);
      Require(plane.at(plane.width - 1, y) == bytes[row + plane.width - 1]);
    }
    const std::vector<uint8_t> again = ulvo::SerializeHandoffDepth(plane);
    Require(again.size() <= bytes.size());
    Require(std::equal(again.begin(), again.end(), bytes.begin()));
  }

  const ulvo::fuzz::ScratchFile file(data, size, ".dat");
  ulvo::DepthPlane fromFile;
  std::string fileError;
  Require(ulvo::ReadHandoffDepthFile(file.string(), fromFile, fileError) == parsed);
  if (parsed) Require(fromFile.bottomUp == plane.bottomUp);
  return 0;
}
