// In-place conversions of the host's buffers described by a FilterJob.
#pragma once

#include "src/host/filter_record.h"
#include "src/job/filter_job.h"

namespace ulvo {

// Pixels added on the right so that a 24-bit row of width + pad pixels fills
// whole 32-bit words: (3 * width) mod 4, and 0 for a negative width.
int32_t RowPad(int32_t width);

enum class JobBuffer { kInput, kOutput };

// Converts between host order (rows top-down, planes in host order) and display
// order (rows bottom-up, bytes of each pixel reversed). Its own inverse. Only the
// first paddedWidth * planes bytes of each row are touched.
void FlipJobBuffer(FilterJob& job, JobBuffer which);

// Returns unselected pixels of the output (still in display order) to the
// source: out = (m * out + (255 - m) * in) / 255 for mask value m below 255.
// Skipped without mask data or with a zero mask row distance.
void BlendWithMask(const FilterJob& job);

// In the repeated continue call the host delivers buffers for filterRect; the
// parts of that rectangle outside the job rectangle get the input unchanged.
void CopyUnfilteredMargins(const pi::FilterRecord& record, const FilterJob& job);

}  // namespace ulvo
