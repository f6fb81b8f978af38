#include "src/editor/headless/snapshot_writer.h"

#include <fstream>
#include <new>

#include "src/editor/bitmap_header.h"

namespace ulvo {

namespace {

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

bool EndsWith(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() &&
         s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

Snapshot ScaleSnapshot(const uint8_t* bits, int32_t srcWidth, int32_t srcHeight, size_t srcStride,
                       int32_t width, int32_t height) {
  Snapshot shot;
  if (bits == nullptr || srcWidth <= 0 || srcHeight <= 0 || width <= 0 || height <= 0) return shot;
  try {
    shot.stride = static_cast<size_t>(Stride24(width));
    shot.pixels.assign(shot.stride * static_cast<size_t>(height), 0);
  } catch (const std::bad_alloc&) {
    return Snapshot{};
  }
  shot.width = width;
  shot.height = height;
  for (int32_t y = 0; y < height; ++y) {
    // Rows are bottom-up in both pictures; map top rows onto top rows.
    const int64_t fromTop = static_cast<int64_t>(height - 1 - y) * srcHeight / height;
    const int64_t sy = srcHeight - 1 - fromTop;
    const uint8_t* src = bits + srcStride * static_cast<size_t>(sy);
    uint8_t* dst = shot.pixels.data() + shot.stride * static_cast<size_t>(y);
    for (int32_t x = 0; x < width; ++x) {
      const int64_t sx = static_cast<int64_t>(x) * srcWidth / width;
      dst[3 * x] = src[3 * sx];
      dst[3 * x + 1] = src[3 * sx + 1];
      dst[3 * x + 2] = src[3 * sx + 2];
    }
  }
  return shot;
}

bool WriteSnapshot(const Snapshot& snapshot, const std::string& file) {
  if (snapshot.width <= 0 || snapshot.height <= 0) return false;
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  if (EndsWith(file, ".ppm")) {
    out << "P6\n" << snapshot.width << ' ' << snapshot.height << "\n255\n";
    std::vector<uint8_t> row(static_cast<size_t>(snapshot.width) * 3);
    for (int32_t y = snapshot.height - 1; y >= 0; --y) {
      const uint8_t* src = snapshot.pixels.data() + snapshot.stride * static_cast<size_t>(y);
      for (int32_t x = 0; x < snapshot.width; ++x) {
        row[3 * x] = src[3 * x + 2];
        row[3 * x + 1] = src[3 * x + 1];
        row[3 * x + 2] = src[3 * x];
      }
      out.write(reinterpret_cast<const char*>(row.data()),
                static_cast<std::streamsize>(row.size()));
    }
  } else {
    std::vector<uint8_t> head;
    const uint32_t imageBytes = static_cast<uint32_t>(snapshot.pixels.size());
    head.push_back('B');
    head.push_back('M');
    PutLe(head, 14 + 40 + imageBytes, 4);
    PutLe(head, 0, 4);
    PutLe(head, 14 + 40, 4);
    PutLe(head, 40, 4);
    PutLe(head, static_cast<uint32_t>(snapshot.width), 4);
    PutLe(head, static_cast<uint32_t>(snapshot.height), 4);
    PutLe(head, 1, 2);
    PutLe(head, 24, 2);
    PutLe(head, 0, 4);
    PutLe(head, imageBytes, 4);
    PutLe(head, 3780, 4);
    PutLe(head, 3780, 4);
    PutLe(head, 0, 4);
    PutLe(head, 0, 4);
    out.write(reinterpret_cast<const char*>(head.data()),
              static_cast<std::streamsize>(head.size()));
    out.write(reinterpret_cast<const char*>(snapshot.pixels.data()),
              static_cast<std::streamsize>(snapshot.pixels.size()));
  }
  return static_cast<bool>(out);
}

}  // namespace ulvo
