#include "tests/support/fake_host.h"

#include <cstddef>
#include <cstring>

namespace ulvo {

int16_t FakeHost::Call(EntryState& state, HostServices& services, int16_t selector) {
  result = 0x5555;  // hosts pre-set the result
  RunSelector(state, services, selector, &record, &slot, &result);
  return result;
}

void FakeHost::Deliver(int32_t planes, const SampleFunction& f) {
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

void FakeHost::DeliverClipped(int32_t planes, int16_t width, const SampleFunction& f) {
  for (pi::Rect* r : {&record.inRect, &record.outRect, &record.maskRect}) {
    r->right = static_cast<int16_t>(r->left + width);
  }
  Deliver(planes, f);
}

bool FakeHost::RequestCleared() const {
  const pi::Rect zero{0, 0, 0, 0};
  for (const pi::Rect* r : {&record.inRect, &record.outRect, &record.maskRect}) {
    if (std::memcmp(r, &zero, sizeof zero) != 0) return false;
  }
  return true;
}

}  // namespace ulvo
