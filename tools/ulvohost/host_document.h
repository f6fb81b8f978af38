// The document as this host keeps it, made from an image file and turned
// back into one. A 16-bit document holds the interface's 16-bit range,
// 0..32768 (0x8000 is full intensity), as the module receives it; files hold
// 0..65535 at 16 bits or 0..255 at 8.
#pragma once

#include <cstdint>

#include "src/imageio/image_file.h"

namespace ulvo::host {

// The host's 16-bit sample of a file sample of `fileMax` (255 or 65535),
// rounded to nearest.
uint16_t HostSixteenOfFile(uint32_t value, uint32_t fileMax);

// A 16-bit file sample (0..65535) of a host 16-bit sample, rounded to
// nearest; values above 32768 count as 32768.
uint16_t FileSixteenOfHost(uint16_t value);

// The file's image as a document of `bits` (8 or 16) per sample: 8-bit
// files are widened, 16-bit files rounded to 8 bits for an 8-bit document.
Image DocumentOfFile(const Image& file, int bits);

// The document as an image file of its own sample size.
Image FileOfDocument(const Image& document);

}  // namespace ulvo::host
