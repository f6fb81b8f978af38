#include "src/host/depth_file.h"

#include <array>
#include <fstream>
#include <system_error>

namespace ulvo {

namespace {

void PutInt32(uint8_t* to, int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) to[i] = static_cast<uint8_t>(bits >> (8 * i));
}

int32_t GetInt32(const uint8_t* from) {
  uint32_t bits = 0;
  for (int i = 0; i < 4; ++i) bits |= uint32_t{from[i]} << (8 * i);
  return static_cast<int32_t>(bits);
}

// Opens the file, reads the header and checks it against the file's length.
DepthFileStatus OpenAndCheck(const std::filesystem::path& path, std::ifstream& file,
                             DepthFileInfo* info) {
  file.open(path, std::ios::binary);
  if (!file) return DepthFileStatus::kCannotOpen;
  std::array<uint8_t, kDepthFileHeaderBytes> header{};
  if (!file.read(reinterpret_cast<char*>(header.data()), header.size())) {
    return DepthFileStatus::kBadHeader;
  }
  const DepthFileInfo read = DecodeDepthFileHeader(header.data());
  if (info != nullptr) *info = read;
  if (!DepthFileInfoValid(read)) return DepthFileStatus::kBadHeader;
  file.seekg(0, std::ios::end);
  const std::streamoff length = file.tellg();
  if (length < 0 || length - kDepthFileHeaderBytes < read.size) return DepthFileStatus::kTruncated;
  file.seekg(kDepthFileHeaderBytes, std::ios::beg);
  return file ? DepthFileStatus::kOk : DepthFileStatus::kCannotOpen;
}

}  // namespace

DepthFileInfo DecodeDepthFileHeader(const uint8_t* header) {
  DepthFileInfo info;
  info.size = GetInt32(header);
  info.rowBytes = GetInt32(header + 4);
  info.width = GetInt32(header + 8);
  info.height = GetInt32(header + 12);
  return info;
}

bool DepthFileInfoValid(const DepthFileInfo& info) {
  return info.size > 0 && info.rowBytes > 0 && info.width > 0 && info.height > 0 &&
         info.rowBytes >= info.width &&
         int64_t{info.rowBytes} * int64_t{info.height} == int64_t{info.size};
}

DepthFileStatus ReadDepthFileInfo(const std::filesystem::path& path, DepthFileInfo* info) {
  std::ifstream file;
  return OpenAndCheck(path, file, info);
}

DepthFileStatus ReadDepthFile(const std::filesystem::path& path, int32_t expectWidth,
                              int32_t expectHeight, uint8_t* dest, size_t capacity,
                              DepthFileInfo* info) {
  std::ifstream file;
  DepthFileInfo read;
  const DepthFileStatus status = OpenAndCheck(path, file, &read);
  if (info != nullptr) *info = read;
  if (status != DepthFileStatus::kOk) return status;
  if ((expectWidth >= 0 && read.width != expectWidth) ||
      (expectHeight >= 0 && read.height != expectHeight)) {
    return DepthFileStatus::kMismatch;
  }
  if (dest == nullptr || static_cast<uint64_t>(read.size) > capacity) {
    return DepthFileStatus::kTooLarge;
  }
  if (!file.read(reinterpret_cast<char*>(dest), read.size)) return DepthFileStatus::kTruncated;
  return DepthFileStatus::kOk;
}

DepthFileStatus WriteDepthFile(const std::filesystem::path& path, const DepthFileInfo& info,
                               const uint8_t* firstRow, ptrdiff_t stride) {
  if (!DepthFileInfoValid(info) || firstRow == nullptr) return DepthFileStatus::kBadHeader;
  std::filesystem::path temp = path;
  temp += ".tmp";
  bool written = false;
  {
    std::ofstream file(temp, std::ios::binary | std::ios::trunc);
    if (!file) return DepthFileStatus::kWriteFailed;
    std::array<uint8_t, kDepthFileHeaderBytes> header{};
    PutInt32(&header[0], info.size);
    PutInt32(&header[4], info.rowBytes);
    PutInt32(&header[8], info.width);
    PutInt32(&header[12], info.height);
    file.write(reinterpret_cast<const char*>(header.data()), header.size());
    for (int32_t i = 0; i < info.height && file; ++i) {
      file.write(reinterpret_cast<const char*>(firstRow + i * stride), info.rowBytes);
    }
    file.flush();
    written = static_cast<bool>(file);
    file.close();
    written = written && !file.fail();
  }
  std::error_code error;
  if (written) {
    std::filesystem::rename(temp, path, error);
    if (!error) return DepthFileStatus::kOk;
  }
  std::filesystem::remove(temp, error);
  return DepthFileStatus::kWriteFailed;
}

}  // namespace ulvo
