#include "tools/ulvohost/pipl.h"

#include <algorithm>
#include <cstring>

namespace ulvo::host {
namespace {

class Reader {
 public:
  Reader(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}
  bool Read(void* out, size_t n) {
    if (n > size_ - pos_) return false;
    std::memcpy(out, bytes_ + pos_, n);
    pos_ += n;
    return true;
  }
  // Little-endian integers, whatever the machine.
  bool U32(uint32_t& v) {
    uint8_t b[4];
    if (!Read(b, 4)) return false;
    v = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
    return true;
  }
  bool I32(int32_t& v) {
    uint32_t u = 0;
    if (!U32(u)) return false;
    v = static_cast<int32_t>(u);
    return true;
  }
  bool I16(int16_t& v) {
    uint8_t b[2];
    if (!Read(b, 2)) return false;
    v = static_cast<int16_t>(b[0] | (b[1] << 8));
    return true;
  }
  size_t left() const { return size_ - pos_; }

 private:
  const uint8_t* bytes_;
  size_t size_;
  size_t pos_ = 0;
};

std::string CodeText(uint32_t code) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((code >> shift) & 0xFF);
    text += (c >= 0x20 && c < 0x7F) ? c : '?';
  }
  return text;
}

}  // namespace

const PiplProperty* PiplList::Find(uint32_t key) const {
  for (const PiplProperty& p : properties) {
    if (p.key == key) return &p;
  }
  return nullptr;
}

bool ParsePipl(const uint8_t* bytes, size_t size, PiplList& list, std::string& error) {
  list = PiplList{};
  Reader in(bytes, size);
  int16_t header = 0;
  int32_t count = 0;
  if (!in.I16(header) || !in.I32(list.version) || !in.I32(count)) {
    error = "property list shorter than its header";
    return false;
  }
  if (header != 1) {
    error = "property list header is " + std::to_string(header) + ", not 1";
    return false;
  }
  if (list.version != 0) {
    error = "property list version " + std::to_string(list.version) + " is unknown";
    return false;
  }
  // Each property needs at least 16 bytes: a count beyond that is a lie.
  if (count < 0 || static_cast<size_t>(count) > in.left() / 16) {
    error = "property count " + std::to_string(count) + " does not fit the list";
    return false;
  }
  for (int32_t i = 0; i < count; ++i) {
    PiplProperty p;
    int32_t length = 0;
    if (!in.U32(p.vendor) || !in.U32(p.key) || !in.I32(p.id) || !in.I32(length)) {
      error = "property " + std::to_string(i) + " is truncated";
      return false;
    }
    // Some writers store the exact length, some the padded one; the data
    // always occupies the padded length.
    const int64_t padded = (static_cast<int64_t>(length) + 3) / 4 * 4;
    if (length < 0 || static_cast<uint64_t>(padded) > in.left()) {
      error = "property '" + CodeText(p.key) + "' claims " + std::to_string(length) +
              " bytes, more than the list holds";
      return false;
    }
    p.data.resize(static_cast<size_t>(padded));
    in.Read(p.data.data(), p.data.size());
    p.data.resize(static_cast<size_t>(length));
    list.properties.push_back(std::move(p));
  }
  return true;
}

bool FilterEntryName(const PiplList& list, uint32_t codeKey, std::string& entryName,
                     std::string& error) {
  const PiplProperty* kind = list.Find(PiplCode("kind"));
  if (!kind) {
    error = "the property list has no 'kind'";
    return false;
  }
  uint32_t kindCode = 0;
  if (kind->data.size() != 4) {
    error = "'kind' has " + std::to_string(kind->data.size()) + " bytes, not 4";
    return false;
  }
  kindCode = kind->data[0] | (kind->data[1] << 8) | (kind->data[2] << 16) |
             (static_cast<uint32_t>(kind->data[3]) << 24);
  if (kindCode != PiplCode("8BFM")) {
    error = "the module is of kind '" + CodeText(kindCode) + "', not a filter ('8BFM')";
    return false;
  }
  const PiplProperty* code = list.Find(codeKey);
  if (!code) {
    error =
        "the property list has no '" + CodeText(codeKey) + "' code property for this architecture";
    return false;
  }
  const auto& d = code->data;
  const auto end = std::find(d.begin(), d.end(), uint8_t{0});
  if (end == d.end() || end == d.begin()) {
    error = "the '" + CodeText(codeKey) + "' property holds no zero-terminated entry name";
    return false;
  }
  entryName.assign(d.begin(), end);
  return true;
}

}  // namespace ulvo::host
