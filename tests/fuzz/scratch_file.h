// A file in the temporary folder holding one fuzz input, for readers that
// only take a path. Each object has its own name (process id and a counter),
// so parallel fuzzing jobs do not share files; the file is removed when the
// object goes.
#pragma once

#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace ulvo::fuzz {

class ScratchFile {
 public:
  explicit ScratchFile(const std::string& suffix) {
    static std::atomic<unsigned> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("ulvo-fuzz-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + suffix);
  }
  ScratchFile(const uint8_t* data, size_t size, const std::string& suffix) : ScratchFile(suffix) {
    Write(data, size);
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  ~ScratchFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }

  void Write(const uint8_t* data, size_t size) const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }

  const std::filesystem::path& path() const { return path_; }
  std::string string() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace ulvo::fuzz
