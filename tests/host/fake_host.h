// A host as the tests play it: its filter record, the buffers it delivers
// for the rectangle the module asked for, and its data slot.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "src/host/filter_record.h"
#include "src/host/selectors.h"

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

  int16_t Call(EntryState& state, HostServices& services, int16_t selector) {
    result = 0x5555;  // hosts pre-set the result
    RunSelector(state, services, selector, &record, &slot, &result);
    return result;
  }

  // Delivers the requested rectangle: pixel (x, y) plane k holds f(x, y, k).
  void Deliver(int32_t planes, const std::function<uint8_t(int, int, int)>& f) {
    const pi::Rect r = record.inRect;
    const int32_t width = r.right - r.left, height = r.bottom - r.top;
    const int32_t rowBytes = width * planes;
    in.assign(static_cast<size_t>(rowBytes) * height, 0);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        for (int k = 0; k < planes; ++k) in[y * rowBytes + x * planes + k] = f(x, y, k);
      }
    }
    out = in;
    record.inData = in.data();
    record.outData = out.data();
    record.inRowBytes = record.outRowBytes = rowBytes;
  }

  // A host that cannot pad: the request clipped to `width` pixels, written
  // back into the rectangles, rows exactly as long as their pixels.
  void DeliverClipped(int32_t planes, int16_t width,
                      const std::function<uint8_t(int, int, int)>& f) {
    for (pi::Rect* r : {&record.inRect, &record.outRect, &record.maskRect}) {
      r->right = static_cast<int16_t>(r->left + width);
    }
    Deliver(planes, f);
  }

  bool RequestCleared() const {
    const pi::Rect zero{0, 0, 0, 0};
    for (const pi::Rect* r : {&record.inRect, &record.outRect, &record.maskRect}) {
      if (std::memcmp(r, &zero, sizeof zero) != 0) return false;
    }
    return true;
  }
};

}  // namespace ulvo
