// Format readers and writers behind ReadImageFile / WriteImageFile. Each
// reader fills `out` only on success; each writer writes the whole file or
// reports why it could not.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "src/imageio/image_file.h"

namespace ulvo {

// Images larger than this in either direction, or with more pixel bytes than
// kMaxImageBytes, are refused before any pixel buffer is allocated.
inline constexpr uint32_t kMaxImageDimension = 65535;
inline constexpr uint64_t kMaxImageBytes = uint64_t{1} << 30;

// Checks the size limits for samples of `bits` (8 or 16); on failure sets
// `error` and returns false.
bool CheckImageSize(uint64_t width, uint64_t height, uint64_t channels, int bits,
                    std::string& error);

// Allocates image.pixels for the given shape and sample size and sets them;
// false with a message when the memory is not available.
bool AllocateImage(Image& image, int width, int height, int channels, int bits, std::string& error);

bool ReadPng(std::FILE* file, Image& out, std::string& error);
bool WritePng(std::FILE* file, const Image& image, std::string& error);

bool ReadJpeg(std::FILE* file, Image& out, std::string& error);
bool WriteJpeg(std::FILE* file, const Image& image, int quality, std::string& error);

bool ReadTiff(const std::string& path, Image& out, std::string& error);
bool WriteTiff(const std::string& path, const Image& image, std::string& error);

}  // namespace ulvo
