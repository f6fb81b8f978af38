#include "src/engine/depth_tiles.h"

#include <new>

namespace ulvo {

bool DepthTiles::Reset(int width, int height) {
  columns_ = (width + kTile - 1) / kTile;
  try {
    tile_min_.assign(static_cast<size_t>(columns_) * ((height + kTile - 1) / kTile), 255);
  } catch (const std::bad_alloc&) {
    tile_min_.clear();
    return false;
  }
  return true;
}

}  // namespace ulvo
