// The view's display bitmap: a 24-bit bottom-up copy of the job's colours
// (blue, green, red; rows padded to 4 bytes). Renders write into it and
// finishing copies it into the host's output buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "src/editor/bitmap_header.h"
#include "src/job/filter_job.h"

namespace ulvo {

class DisplayImage {
 public:
  // Builds the header and pixels from the job's input. Returns false (and
  // holds no pixels) when the job has no usable input or the pixels cannot be
  // allocated.
  bool TakeIn(const FilterJob& job);

  // Copies the source colours of the job into the pixels again.
  void Restore(const FilterJob& job);

  // Writes the pixels into the job's output buffer: the colour bytes of each
  // output pixel from the display, the depth byte (planes > 3) from the
  // source; bytes in front of the depth byte are left as they are. Does
  // nothing without pixels or output buffer.
  void CopyToOutput(const FilterJob& job) const;

  bool empty() const { return pixels_.empty(); }
  const BitmapInfoHeader& header() const { return header_; }
  int32_t width() const { return header_.width; }
  int32_t height() const { return header_.height; }
  size_t stride() const { return stride_; }
  uint8_t* pixels() { return pixels_.data(); }
  const uint8_t* pixels() const { return pixels_.data(); }
  size_t byteSize() const { return pixels_.size(); }

 private:
  BitmapInfoHeader header_;
  size_t stride_ = 0;
  std::vector<uint8_t> pixels_;
};

// True when the job's geometry describes input that the editor can show.
bool JobHasImage(const FilterJob& job);

// Writes the job's source pixels unchanged into its output buffer, laid out
// as DisplayImage::CopyToOutput writes them (bytes in front of the depth byte
// untouched). Finishing uses it when no display bitmap could be made, so the
// host never receives an output buffer that nobody wrote.
void CopySourceToOutput(const FilterJob& job);

}  // namespace ulvo
