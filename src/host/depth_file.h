// The depth hand-off file: a grey image stored by one filter run and read by
// later ones. Little-endian: four signed 32-bit fields (size, rowBytes, width,
// height) and then `height` rows of `rowBytes` bytes, bottom image row first,
// one depth byte per pixel. size = rowBytes * height.
//
// Nothing in here depends on the host: the command-line tool reads the same file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace ulvo {

inline constexpr char kDepthFileName[] = "alpha.dat";
inline constexpr int64_t kDepthFileHeaderBytes = 16;

struct DepthFileInfo {
  int32_t size = 0;      // bytes of the pixel rows
  int32_t rowBytes = 0;  // bytes per stored row
  int32_t width = 0;     // pixels per row before the row pad
  int32_t height = 0;    // rows
};

enum class DepthFileStatus {
  kOk,
  kCannotOpen,  // missing or unreadable
  kBadHeader,   // short header, or fields that cannot describe stored rows
  kTruncated,   // fewer bytes than the header announces
  kTooLarge,    // the rows do not fit the caller's buffer
  kMismatch,    // width or height differ from what the caller expects
  kWriteFailed,
};

// Decodes the 16 header bytes; says nothing about their validity.
DepthFileInfo DecodeDepthFileHeader(const uint8_t* header);

// True when the fields describe a well-formed file: all positive,
// rowBytes >= width and size = rowBytes * height.
bool DepthFileInfoValid(const DepthFileInfo& info);

// Reads and checks the header, and that the file holds all the rows it announces.
DepthFileStatus ReadDepthFileInfo(const std::filesystem::path& path, DepthFileInfo* info);

// Reads the whole file into `dest` (capacity bytes): rows land at dest + i * rowBytes.
// With expectWidth or expectHeight >= 0 the file must have that width or height.
// Nothing is written to dest unless the result is kOk; info receives the header
// whenever it could be read.
DepthFileStatus ReadDepthFile(const std::filesystem::path& path, int32_t expectWidth,
                              int32_t expectHeight, uint8_t* dest, size_t capacity,
                              DepthFileInfo* info);

// Writes the header and info.height rows of info.rowBytes bytes taken from
// firstRow + i * stride. The file is written under a temporary name in the same
// folder and renamed over `path` only when complete, so a failed write leaves
// any earlier file as it was.
DepthFileStatus WriteDepthFile(const std::filesystem::path& path, const DepthFileInfo& info,
                               const uint8_t* firstRow, ptrdiff_t stride);

}  // namespace ulvo
