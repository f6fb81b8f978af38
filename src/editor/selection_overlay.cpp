#include "src/editor/selection_overlay.h"

#include <algorithm>

#include "src/job/job_mask.h"

namespace ulvo {

bool JobHasMask(const FilterJob& job) {
  return job.maskData != nullptr && job.maskRowBytes > 0;
}

void ComposeSelectionOverlay(const DisplayImage& display, const FilterJob& job, uint8_t* overlay) {
  if (display.empty()) return;
  std::copy(display.pixels(), display.pixels() + display.byteSize(), overlay);
  if (!JobHasMask(job)) return;
  const int32_t width = display.width();
  const int32_t height = display.height();
  const int32_t columns = std::min<int64_t>(width, job.maskRowBytes / std::max(job.sampleBytes, 1));
  for (int32_t i = 0; i < height; ++i) {
    const uint8_t* mask =
        job.maskData + static_cast<ptrdiff_t>(job.maskRowBytes) * (height - 1 - i);
    uint8_t* row = overlay + display.stride() * static_cast<size_t>(i);
    for (int32_t j = 0; j < columns; ++j) {
      const int m = MaskWeight8At(job, mask, j);
      for (int c = 0; c < 3; ++c) {
        uint8_t& p = row[3 * j + c];
        p = static_cast<uint8_t>(std::min(255, p * m / 255 + (255 - m)));
      }
    }
  }
}

}  // namespace ulvo
