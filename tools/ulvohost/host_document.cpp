#include "tools/ulvohost/host_document.h"

#include <algorithm>

namespace ulvo::host {

namespace {
constexpr uint32_t kHostWhite = 32768;
}  // namespace

uint16_t HostSixteenOfFile(uint32_t value, uint32_t fileMax) {
  value = std::min(value, fileMax);
  return static_cast<uint16_t>((value * kHostWhite + fileMax / 2) / fileMax);
}

uint16_t FileSixteenOfHost(uint16_t value) {
  const uint32_t v = std::min<uint32_t>(value, kHostWhite);
  return static_cast<uint16_t>((v * 65535u + kHostWhite / 2) / kHostWhite);
}

Image DocumentOfFile(const Image& file, int bits) {
  if (bits != 16) return ReducedTo8Bits(file);
  Image document;
  document.width = file.width;
  document.height = file.height;
  document.channels = file.channels;
  document.bits = 16;
  const size_t samples = file.sampleCount();
  document.pixels.resize(samples * 2);
  for (size_t i = 0; i < samples; ++i) {
    document.setSample(i, HostSixteenOfFile(file.sample(i), file.maxValue()));
  }
  return document;
}

Image FileOfDocument(const Image& document) {
  if (document.bits != 16) return document;
  Image file = document;
  const size_t samples = file.sampleCount();
  for (size_t i = 0; i < samples; ++i) file.setSample(i, FileSixteenOfHost(document.sample(i)));
  return file;
}

}  // namespace ulvo::host
