// Whole-file reads and writes: files the code under test wrote, and files
// the tests write or damage on purpose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ulvo {

// The file's bytes; empty when it cannot be read.
std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path);
std::string ReadFileText(const std::filesystem::path& path);

void WriteFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

// Damaged copies of a file's bytes for the readers' robustness tests, the
// same ones on every run: a xorshift sequence from `seed` decides how many
// bytes change, which and to what.
class ByteDamage {
 public:
  explicit ByteDamage(uint32_t seed) : state_(seed) {}

  // `original` with 1 to `mostBytes` bytes replaced; with `headerBytes`,
  // each replaced byte lies within the first that many bytes at even odds.
  std::vector<uint8_t> Damaged(const std::vector<uint8_t>& original, int mostBytes,
                               size_t headerBytes = 0);

 private:
  uint32_t Next();

  uint32_t state_;
};

}  // namespace ulvo
