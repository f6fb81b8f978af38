#include "src/engine/fused_scatter.h"

namespace ulvo {

void AddFusedRowSimd(const FusedRow& row) {
  AddFusedRowPlain(row);
}

const char* SimdTargetName() {
  return "none";
}

}  // namespace ulvo
