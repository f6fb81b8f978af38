#include "src/engine/level_kernels.h"
#include "src/engine/scatter.h"

namespace ulvo {

void AddKernelRow(const uint32_t* kernel, const uint32_t* weight_kernel, uint64_t* colour,
                  uint64_t* weight, int count, int shift) {
  for (int i = 0; i < count; ++i) {
    colour[i] += static_cast<uint64_t>(kernel[i]) << shift;
    weight[i] += weight_kernel[i];
  }
}

void AddKernelRowOccluded(const uint32_t* kernel, const uint32_t* weight_kernel, uint64_t* colour,
                          uint64_t* weight, int count, const OcclusionRow& occlusion, int shift) {
  const float source = occlusion.source_depth;
  const uint8_t* depth = occlusion.depth;
  const int dy2 = occlusion.dy * occlusion.dy;
  for (int i = 0; i < count; ++i, depth += occlusion.depth_stride) {
    const int dx = occlusion.dx0 - i;
    const float target = *depth;
    const float distance2 = static_cast<float>(dx * dx + dy2);
    // A clearly nearer target (more than 5 depth steps) away from the centre
    // and its immediate neighbours receives less of this light; its weight
    // stays, so the normalisation does not brighten it back.
    if (Dimmed(target, source, distance2)) {
      colour[i] += DimmedLight(kernel[i], shift,
                               DimmingFactor(target, source, distance2, occlusion.diameter));
    } else {
      colour[i] += static_cast<uint64_t>(kernel[i]) << shift;
    }
    weight[i] += weight_kernel[i];
  }
}

void AddKernelRowPair(const ColourPair& colour, const uint32_t* weight_kernel, uint64_t* weight,
                      int count) {
  for (int i = 0; i < count; ++i) {
    for (int t = 0; t < 2; ++t) {
      colour.sums[t][i] += ShareLight(colour.kernel[t][i], colour.share[t], colour.shift[t]);
    }
    weight[i] += weight_kernel[i];
  }
}

void AddKernelRowPairOccluded(const ColourPair& colour, const uint32_t* weight_kernel,
                              uint64_t* weight, int count, const OcclusionRow& occlusion) {
  const float source = occlusion.source_depth;
  const uint8_t* depth = occlusion.depth;
  const int dy2 = occlusion.dy * occlusion.dy;
  for (int i = 0; i < count; ++i, depth += occlusion.depth_stride) {
    const int dx = occlusion.dx0 - i;
    const float target = *depth;
    const float distance2 = static_cast<float>(dx * dx + dy2);
    if (Dimmed(target, source, distance2)) {
      const float f = DimmingFactor(target, source, distance2, occlusion.diameter);
      for (int t = 0; t < 2; ++t) {
        colour.sums[t][i] +=
            DimmedShareLight(colour.kernel[t][i], colour.share[t], colour.shift[t], f);
      }
    } else {
      for (int t = 0; t < 2; ++t) {
        colour.sums[t][i] += ShareLight(colour.kernel[t][i], colour.share[t], colour.shift[t]);
      }
    }
    weight[i] += weight_kernel[i];
  }
}

}  // namespace ulvo
