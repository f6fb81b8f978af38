#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <random>
#include <system_error>

namespace ulvo {

TempDir::TempDir() {
  // Test programs run side by side: a name is ours only once creating the
  // folder succeeded, so another name is drawn while one exists already.
  std::random_device random;
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  do {
    path_ = base / ("ulvo-test-" + std::to_string(random()) + "-" + std::to_string(random()));
  } while (!std::filesystem::create_directory(path_));
}

TempDir::TempDir(const char* keepVariable) : TempDir() {
  keep_ = std::getenv(keepVariable) != nullptr;
}

TempDir::~TempDir() {
  if (keep_) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace ulvo
