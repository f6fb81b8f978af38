// The output rows of a cancellable render whose stripes write rows out of
// order: which rows were written, and the channel samples the rows from a
// given one on held before, so that after a cancel every written row below
// the first unwritten one can be put back and only top rows stay written.
// Each row is written once, by one thread, and read back only after all
// threads have ended.
#pragma once

#include <cstdint>
#include <memory>

#include "src/engine/band_output.h"
#include "src/engine/buffer_allocator.h"

namespace ulvo {

class RowBackup {
 public:
  // Keeps rows from `first` on of a width × height output; false when the
  // memory exceeds `budget` or cannot be allocated.
  bool Allocate(const OutputTarget& output, int width, int height, int first, uint64_t budget,
                BufferAllocator& allocator);
  bool active() const { return written_ != nullptr; }

  // Around the writing of output row t.
  void Keep(int t);
  void MarkWritten(int t) { written_[t] = 1; }
  // After a cancel.
  void RestoreUnfinishedRows();

 private:
  uint8_t* RowChannels(int t) const;

  OutputTarget output_;
  int width_ = 0;
  int height_ = 0;
  int first_ = 0;
  int pixel_bytes_ = 3;  // of the three channel samples
  std::unique_ptr<uint8_t[]> memory_;
  uint8_t* written_ = nullptr;   // height flags
  uint8_t* previous_ = nullptr;  // width × pixel_bytes_ a row from first_ on
};

}  // namespace ulvo
