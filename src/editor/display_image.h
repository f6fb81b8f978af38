// The view's display bitmap: a 24-bit bottom-up copy of the job's colours
// (blue, green, red; rows padded to 4 bytes). Renders write into it and
// finishing copies it into the host's output buffer.
//
// A job of 16-bit samples keeps its picture at that precision: renders write
// into a 16-bit copy of the colours (three samples a pixel, 0..65535), the
// display bitmap shows it rounded to 8 bits, and finishing copies the 16-bit
// samples.
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

  // Where a render writes: the display bitmap itself, or for 16-bit jobs
  // the 16-bit colours (bytes and row distance in bytes either way).
  uint8_t* renderPixels();
  size_t renderStride() const;
  // After a render of 16-bit colours, shows rows [bottom, bottom + rows) of
  // them in the display bitmap. Nothing to do for 8-bit jobs.
  void ShowRendered(int32_t bottom, int32_t rows);
  bool wide() const { return !wide_.empty(); }

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
  std::vector<uint16_t> wide_;  // 16-bit jobs: the colours at full precision
};

// True when the job's geometry describes input that the editor can show.
bool JobHasImage(const FilterJob& job);

// Writes the job's source pixels unchanged into its output buffer, laid out
// as DisplayImage::CopyToOutput writes them (bytes in front of the depth byte
// untouched). Finishing uses it when no display bitmap could be made, so the
// host never receives an output buffer that nobody wrote.
void CopySourceToOutput(const FilterJob& job);

}  // namespace ulvo
