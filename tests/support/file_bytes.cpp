#include "tests/support/file_bytes.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace ulvo {

std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string ReadFileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ByteDamage::Damaged(const std::vector<uint8_t>& original, int mostBytes,
                                         size_t headerBytes) {
  std::vector<uint8_t> damaged = original;
  if (damaged.empty()) return damaged;
  const uint32_t count = 1 + Next() % static_cast<uint32_t>(mostBytes);
  for (uint32_t i = 0; i < count; ++i) {
    size_t span = damaged.size();
    if (headerBytes > 0 && (Next() & 1) != 0) span = std::min(headerBytes, span);
    const auto value = static_cast<uint8_t>(Next());
    damaged[Next() % span] = value;
  }
  return damaged;
}

uint32_t ByteDamage::Next() {
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return state_;
}

}  // namespace ulvo
