// What the host delivered for the job's rectangle, and the module's own copy
// of it for hosts whose buffers cannot be used in place.
//
// A host that cannot pad clips the requested rectangle to the image and
// writes the clipped rectangle back into inRect/outRect/maskRect, with row
// distances of the clipped width; another may give the output a row distance
// of its own. The module then works on a copy of the full requested width
// (zero bytes beyond what was delivered, as a padding host supplies them) and
// writes the result back to exactly the delivered pixels.
#pragma once

#include <cstdint>
#include <memory>

#include "src/host/filter_record.h"
#include "src/job/filter_job.h"

namespace ulvo {

struct DeliveredPlane {
  uint8_t* data = nullptr;
  int32_t rowBytes = 0;
  int32_t width = 0;  // pixels per delivered row
};

struct DeliveredBuffers {
  DeliveredPlane in, out, mask;  // mask.data null: no mask
};

// The buffers of the record with the width each one covers: the width of its
// rectangle when that is the requested one clipped on the right to no less
// than the job's width, else the requested (padded) width.
DeliveredBuffers BuffersOf(const pi::FilterRecord& record, const FilterJob& job);

// Every delivered row holds its pixels, and the rows cover the job's width.
// The output is needed for images of more than one plane only.
bool BuffersUsable(const DeliveredBuffers& buffers, const FilterJob& job);

// The job can run in the host's buffers: full width, one row distance.
bool BuffersFitInPlace(const DeliveredBuffers& buffers, const FilterJob& job);

// The module's copy of the host's buffers, freed with the object.
class JobCopy {
 public:
  // Copies the delivered rows into buffers of the job's padded width and
  // points the job at them; false (nothing changed) when memory is short.
  bool Take(FilterJob& job, const DeliveredBuffers& buffers);
  // Writes the job's output rows (host order) back into the delivered output,
  // its delivered width only.
  void ReturnOutput(const FilterJob& job) const;
  bool active() const { return in_ != nullptr; }

 private:
  DeliveredBuffers host_;
  std::unique_ptr<uint8_t[]> in_, out_, mask_;
};

}  // namespace ulvo
