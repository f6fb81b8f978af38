// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <string>

namespace ulvo {

class TempDir {
 public:
  TempDir();
  // Kept instead of removed when the environment variable `keepVariable` is
  // set, to look at what the test left there.
  explicit TempDir(const char* keepVariable);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  std::filesystem::path operator/(const char* name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
  bool keep_ = false;
};

}  // namespace ulvo
