// Takes fixed-size little-endian fields off the front of a fuzz input. Past
// the end every field reads as zero, so any input decodes to something.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ulvo::fuzz {

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint64_t Unsigned(int bytes) {
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i, ++at_) {
      if (at_ < size_) value |= uint64_t{data_[at_]} << (8 * i);
    }
    return value;
  }
  uint8_t U8() { return static_cast<uint8_t>(Unsigned(1)); }
  uint16_t U16() { return static_cast<uint16_t>(Unsigned(2)); }
  int16_t I16() { return static_cast<int16_t>(U16()); }
  uint32_t U32() { return static_cast<uint32_t>(Unsigned(4)); }
  int32_t I32() { return static_cast<int32_t>(U32()); }
  bool Bit(uint8_t flags, int bit) const { return ((flags >> bit) & 1u) != 0; }

  // Up to `count` bytes (fewer at the end of the input).
  std::vector<uint8_t> Bytes(size_t count) {
    const size_t start = at_ < size_ ? at_ : size_;
    const size_t n = count < size_ - start ? count : size_ - start;
    at_ += count;
    return std::vector<uint8_t>(data_ + start, data_ + start + n);
  }
  // Everything not taken yet.
  std::vector<uint8_t> Rest() { return Bytes(remaining()); }

  size_t remaining() const { return at_ < size_ ? size_ - at_ : 0; }
  bool empty() const { return remaining() == 0; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

}  // namespace ulvo::fuzz
