// The depth hand-off between runs: a one-plane donor run stores its (display
// order) input as the depth file; later colour runs load it into DepthBuffer.
#pragma once

#include <filesystem>

#include "src/host/depth_file.h"
#include "src/job/filter_job.h"

namespace ulvo {

// Copies the job's input rows (job.rowBytes apart) into the depth block when
// `depth` describes rows of at least paddedWidth bytes (size = height *
// depth.rowBytes): paddedWidth bytes of each row, zero bytes after them, since
// a host's buffer need not hold the row pad after its last row.
// Then writes the block as the file. True when a complete file is in place.
bool WriteJobDepthFile(const FilterJob& job, const DepthBuffer& depth,
                       const std::filesystem::path& path);

// `depth` arrives with its block and its capacity in `size`. Leaves it loaded
// (size and rowBytes from the file) when the file matches the job's width and
// height, fits the block and has rows at least paddedWidth bytes long; otherwise
// leaves it empty (size 0, rowBytes 0). kOk when a map was loaded; rows
// shorter than the job's are a bad header, a file that does not fit the block
// one of another image (kMismatch, like another width or height).
DepthFileStatus ReadJobDepthFile(const FilterJob& job, DepthBuffer& depth,
                                 const std::filesystem::path& path);

}  // namespace ulvo
