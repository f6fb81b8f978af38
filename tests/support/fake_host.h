// A host as the tests play it: its filter record, the buffers it delivers
// for the rectangle the module asked for, and its data slot.
#pragma once

#include <cstdint>
#include <vector>

#include "src/host/filter_record.h"
#include "src/host/selectors.h"
#include "tests/support/test_images.h"

namespace ulvo {

// What a host keeps for one image: the record, its buffers and the data slot.
struct FakeHost {
  pi::FilterRecord record{};
  pi::ReadImageDocumentDesc document{};
  pi::ReadChannelDesc selection{};
  std::vector<uint8_t> in, out, mask;
  intptr_t slot = 0;
  int16_t result = 0;

  FakeHost(int16_t mode, int16_t planes, int16_t width, int16_t height) {
    record.imageMode = mode;
    record.inLayerPlanes = planes;
    record.filterRect = {0, 0, height, width};
  }

  // Runs the selector on the module state the way a host calls the entry
  // point, with the result pre-set as hosts do; returns the result.
  int16_t Call(EntryState& state, HostServices& services, int16_t selector);

  // Delivers the requested rectangle: pixel (x, y) plane k holds f(x, y, k).
  void Deliver(int32_t planes, const SampleFunction& f);

  // A host that cannot pad: the request clipped to `width` pixels, written
  // back into the rectangles, rows exactly as long as their pixels.
  void DeliverClipped(int32_t planes, int16_t width, const SampleFunction& f);

  // Whether the module cleared every rectangle it asks for.
  bool RequestCleared() const;
};

}  // namespace ulvo
