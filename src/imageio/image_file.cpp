#include "src/imageio/image_file.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <random>
#include <system_error>

#include "src/imageio/image_codecs.h"

namespace ulvo {
namespace {

enum class Format { kUnknown, kPng, kJpeg, kTiff };

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f != nullptr) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

Format SniffFormat(const unsigned char* head, size_t n) {
  static constexpr unsigned char kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  if (n >= 8 && std::equal(kPng, kPng + 8, head)) return Format::kPng;
  if (n >= 3 && head[0] == 0xff && head[1] == 0xd8 && head[2] == 0xff) return Format::kJpeg;
  if (n >= 4 &&
      ((head[0] == 'I' && head[1] == 'I' && (head[2] == 42 || head[2] == 43) && head[3] == 0) ||
       (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && (head[3] == 42 || head[3] == 43)))) {
    return Format::kTiff;
  }
  return Format::kUnknown;
}

Format FormatFromExtension(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ext == ".png") return Format::kPng;
  if (ext == ".jpg" || ext == ".jpeg") return Format::kJpeg;
  if (ext == ".tif" || ext == ".tiff") return Format::kTiff;
  return Format::kUnknown;
}

// A name next to the target, so that the final rename stays on one file
// system, and unlikely to collide with another writer of the same target.
std::string TemporaryPathFor(const std::string& path) {
  std::random_device random;
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  return path + ".tmp" + std::to_string(static_cast<unsigned long long>(ticks) % 1000000007ull) +
         "-" + std::to_string(random());
}

bool WriteFormat(Format format, const std::string& target, const Image& image, std::string& error) {
  if (format == Format::kTiff) return WriteTiff(target, image, error);
  FilePtr file(std::fopen(target.c_str(), "wb"));
  if (!file) {
    error = "cannot create " + target;
    return false;
  }
  const bool ok = format == Format::kPng ? WritePng(file.get(), image, error)
                                         : WriteJpeg(file.get(), image, 95, error);
  if (!ok) return false;
  if (std::fflush(file.get()) != 0 || std::ferror(file.get()) != 0) {
    error = "cannot write " + target + " (disk full?)";
    return false;
  }
  if (std::fclose(file.release()) != 0) {
    error = "cannot write " + target;
    return false;
  }
  return true;
}

}  // namespace

bool CheckImageSize(uint64_t width, uint64_t height, uint64_t channels, int bits,
                    std::string& error) {
  if (width == 0 || height == 0 || channels == 0) {
    error = "the image has no pixels";
    return false;
  }
  const uint64_t sampleBytes = bits == 16 ? 2 : 1;
  if (width > kMaxImageDimension || height > kMaxImageDimension ||
      width * height * channels * sampleBytes > kMaxImageBytes) {
    error = "the image is too large (" + std::to_string(width) + " x " + std::to_string(height) +
            " pixels, " + std::to_string(channels) + " channels of " + std::to_string(bits) +
            " bits)";
    return false;
  }
  return true;
}

bool AllocateImage(Image& image, int width, int height, int channels, int bits,
                   std::string& error) {
  const size_t sampleBytes = bits == 16 ? 2 : 1;
  try {
    image.pixels.assign(static_cast<size_t>(width) * height * channels * sampleBytes, 0);
  } catch (const std::bad_alloc&) {
    error = "not enough memory for a " + std::to_string(width) + " x " + std::to_string(height) +
            " image";
    return false;
  }
  image.width = width;
  image.height = height;
  image.channels = channels;
  image.bits = bits;
  return true;
}

Image ReducedTo8Bits(const Image& image) {
  if (image.bits != 16) return image;
  Image out;
  out.width = image.width;
  out.height = image.height;
  out.channels = image.channels;
  const size_t n = image.sampleCount();
  out.pixels.resize(n);
  for (size_t i = 0; i < n; ++i) out.pixels[i] = image.sample8(i);
  return out;
}

bool ReadImageFile(const std::string& path, Image& out, std::string& error) {
  FilePtr file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    error = "cannot open " + path;
    return false;
  }
  unsigned char head[8] = {};
  const size_t n = std::fread(head, 1, sizeof head, file.get());
  const Format format = SniffFormat(head, n);
  std::string reason;
  bool ok = false;
  switch (format) {
    case Format::kPng:
    case Format::kJpeg:
      std::rewind(file.get());
      ok = format == Format::kPng ? ReadPng(file.get(), out, reason)
                                  : ReadJpeg(file.get(), out, reason);
      break;
    case Format::kTiff:
      file.reset();
      ok = ReadTiff(path, out, reason);
      break;
    case Format::kUnknown:
      reason = "not a PNG, JPEG or TIFF file";
      break;
  }
  if (!ok) error = path + ": " + reason;
  return ok;
}

bool WriteImageFile(const std::string& path, const Image& image, std::string& error) {
  const Format format = FormatFromExtension(path);
  if (format == Format::kUnknown) {
    error = path + ": unknown file type (use .png, .jpg, .jpeg, .tif or .tiff)";
    return false;
  }
  if (image.bits != 8 && image.bits != 16) {
    error = path + ": " + std::to_string(image.bits) + "-bit samples cannot be written";
    return false;
  }
  std::string reason;
  if (!CheckImageSize(static_cast<uint64_t>(std::max(image.width, 0)),
                      static_cast<uint64_t>(std::max(image.height, 0)),
                      static_cast<uint64_t>(std::max(image.channels, 0)), image.bits, reason) ||
      image.pixels.size() != image.sampleCount() * static_cast<size_t>(image.sampleBytes())) {
    if (reason.empty()) reason = "inconsistent image buffer";
    error = path + ": " + reason;
    return false;
  }
  const std::string temporary = TemporaryPathFor(path);
  std::error_code ec;
  if (!WriteFormat(format, temporary, image, reason)) {
    std::filesystem::remove(temporary, ec);
    error = path + ": " + reason;
    return false;
  }
  std::filesystem::rename(temporary, path, ec);
  if (ec) {
    std::filesystem::remove(temporary, ec);
    error = path + ": cannot replace the file: " + ec.message();
    return false;
  }
  return true;
}

}  // namespace ulvo
