// Whole-file reads and writes for tests that damage files on purpose.
#pragma once

#include <fstream>
#include <string>
#include <vector>

namespace ulvo {

inline std::vector<char> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

inline void WriteFileBytes(const std::string& path, const std::vector<char>& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<long>(bytes.size()));
}

}  // namespace ulvo
