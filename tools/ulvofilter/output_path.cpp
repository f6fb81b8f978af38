#include "tools/ulvofilter/output_path.h"

#include <fcntl.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

#include "tools/ulvofilter/cli.h"

namespace ulvo {
namespace {

namespace fs = std::filesystem;

OutputCheck Problem(int code, const std::string& path, const std::string& what) {
  return OutputCheck{code, path + ": " + what};
}

// Creates a new file in `folder` and removes it again. Returns 0 on
// success, else the errno of the failed creation.
int ProbeFolder(const fs::path& folder) {
  std::random_device random;
  for (int attempt = 0; attempt < 16; ++attempt) {
    const fs::path probe = folder / (".ulvofilter-probe-" + std::to_string(random()));
#ifdef _WIN32
    const int fd = _open(probe.string().c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                         _S_IREAD | _S_IWRITE);
#else
    const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
#endif
    if (fd < 0) {
      if (errno == EEXIST) continue;  // someone else's file: try another name
      return errno;
    }
#ifdef _WIN32
    _close(fd);
#else
    close(fd);
#endif
    std::error_code ec;
    fs::remove(probe, ec);
    return 0;
  }
  return EEXIST;
}

}  // namespace

bool IsWritableImageName(const std::string& path) {
  std::string ext = fs::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".png" || ext == ".jpg" || ext == ".jpeg" || ext == ".tif" || ext == ".tiff";
}

OutputCheck CheckOutputPath(const std::string& path) {
  if (path.empty()) return OutputCheck{kExitUsage, "the output name is empty"};
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (fs::is_directory(status)) return Problem(kExitFailure, path, "is a folder, not a file");
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    return Problem(kExitFailure, path, "exists and is not a regular file");
  }
  if (!IsWritableImageName(path)) {
    return Problem(kExitUsage, path, "unknown file type (use .png, .jpg, .jpeg, .tif or .tiff)");
  }

  fs::path folder = fs::path(path).parent_path();
  if (folder.empty()) folder = ".";
  const fs::file_status folderStatus = fs::status(folder, ec);
  if (folderStatus.type() == fs::file_type::none) {
    return Problem(kExitFailure, path,
                   "cannot reach the folder " + folder.string() + ": " + ec.message());
  }
  if (!fs::exists(folderStatus)) {
    return Problem(kExitFailure, path, "the folder " + folder.string() + " does not exist");
  }
  if (!fs::is_directory(folderStatus)) {
    return Problem(kExitFailure, path, folder.string() + " is not a folder");
  }
  if (const int error = ProbeFolder(folder); error != 0) {
    return Problem(kExitFailure, path,
                   "cannot create a file in " + folder.string() + ": " + std::strerror(error));
  }
  return OutputCheck{};
}

}  // namespace ulvo
