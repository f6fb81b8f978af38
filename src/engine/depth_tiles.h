// The nearest depth of each 8 × 8 tile of the depth map, so that most pixels
// can skip the occlusion test of every kernel row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ulvo {

class DepthTiles {
 public:
  static constexpr int kTile = 8;

  // Sizes the tiles for a region; false (and no tiles: every row gets the
  // test) when the memory is missing.
  bool Reset(int width, int height);
  bool empty() const { return tile_min_.empty(); }
  // Takes depth d of pixel (x, y) into its tile.
  void Note(int x, int y, uint8_t d) {
    uint8_t& tile = tile_min_[static_cast<size_t>(y / kTile) * columns_ + x / kTile];
    if (d < tile) tile = d;
  }

  // True when no target in image columns x0..x1 and rows y0..y1 is nearer
  // than source_depth − 5, so that no light of the pixel can be dimmed there.
  bool NothingDimmed(int x0, int x1, int y0, int y1, int source_depth) const {
    const int limit = source_depth - 5;
    if (limit <= 0) return true;
    if (tile_min_.empty()) return false;
    for (int ty = y0 / kTile; ty <= y1 / kTile; ++ty) {
      const uint8_t* tiles = tile_min_.data() + static_cast<size_t>(ty) * columns_;
      for (int tx = x0 / kTile; tx <= x1 / kTile; ++tx) {
        if (tiles[tx] < limit) return false;
      }
    }
    return true;
  }

 private:
  std::vector<uint8_t> tile_min_;
  int columns_ = 0;
};

}  // namespace ulvo
