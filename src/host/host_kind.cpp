#include "src/host/host_kind.h"

#include "src/host/filter_record.h"

namespace ulvo {

namespace {

bool ContainsAny(std::string_view text, std::string_view a, std::string_view b,
                 std::string_view c) {
  return text.find(a) != std::string_view::npos || text.find(b) != std::string_view::npos ||
         text.find(c) != std::string_view::npos;
}

}  // namespace

HostKind DetectHostKind(std::string_view executablePath, HostKind current) {
  HostKind kind = current;
  if (ContainsAny(executablePath, "photosle.exe", "Photosle.exe", "PHOTOSLE.EXE")) {
    kind = HostKind::kPhotosle;
  }
  if (ContainsAny(executablePath, "psp.exe", "Psp.exe", "PSP.EXE")) {
    kind = HostKind::kPsp;
  }
  return kind;
}

int32_t SampleBytesOfMode(int32_t imageMode) {
  if (imageMode >= pi::kModeGray16 && imageMode <= pi::kModeDuotone16) return 2;
  if (imageMode == pi::kModeRGB96 || imageMode == pi::kModeGray32) return 4;
  return 1;
}

bool ImageAccepted(HostKind kind, int32_t imageMode, int32_t planes) {
  if (planes < 1 || planes == 2 || SampleBytesOfMode(imageMode) > 2) return false;
  const bool rgb = imageMode == pi::kModeRGB || imageMode == pi::kModeRGB48;
  switch (kind) {
    case HostKind::kPhotosle:
      return rgb;
    case HostKind::kPsp:
      return true;
    case HostKind::kGeneric:
    default:
      return rgb || planes == 1;
  }
}

}  // namespace ulvo
