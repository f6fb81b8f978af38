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
// order (rows bottom-up, samples of each pixel reversed; a two-byte sample
// keeps its own byte order). Its own inverse. Only the first paddedWidth *
// pixelBytes bytes of each row are touched.
void FlipJobBuffer(FilterJob& job, JobBuffer which);

// The two-byte samples of a 16-bit job between the host's range, 0..32768,
// and the editor's and engine's, 0..65535; both ways round to nearest, so
// that a sample that goes there and back is unchanged. Samples above 32768
// (not a valid intensity) count as 32768. One-byte jobs are left alone.
void SamplesToEngineRange(FilterJob& job, JobBuffer which);
void SamplesToHostRange(FilterJob& job, JobBuffer which);
uint16_t EngineSampleOfHost(uint16_t host);
uint16_t HostSampleOfEngine(uint16_t engine);

// Returns unselected pixels of the output (still in display order) to the
// source: out = (m * out + (255 - m) * in) / 255 for mask value m below 255,
// per sample (one or two bytes). Skipped without mask data or with a zero
// mask row distance.
void BlendWithMask(const FilterJob& job);

// In the repeated continue call the host delivers buffers for filterRect; the
// parts of that rectangle outside the job rectangle get the input unchanged.
void CopyUnfilteredMargins(const pi::FilterRecord& record, const FilterJob& job);

}  // namespace ulvo
