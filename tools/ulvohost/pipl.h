// Reading a module's plug-in property list the way a host does before it
// calls the module: which kind of module it is and where its code is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ulvo::host {

// A four-character code as the list stores it: a little-endian uint32 whose
// most significant byte is the first character.
constexpr uint32_t PiplCode(const char (&code)[5]) {
  return (static_cast<uint32_t>(static_cast<uint8_t>(code[0])) << 24) |
         (static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 8) |
         static_cast<uint32_t>(static_cast<uint8_t>(code[3]));
}

struct PiplProperty {
  uint32_t vendor = 0;
  uint32_t key = 0;
  int32_t id = 0;
  std::vector<uint8_t> data;
};

struct PiplList {
  int32_t version = 0;
  std::vector<PiplProperty> properties;

  const PiplProperty* Find(uint32_t key) const;
};

// Parses a list; false with a message when it is malformed or truncated.
bool ParsePipl(const uint8_t* bytes, size_t size, PiplList& list, std::string& error);

// Checks that the list describes a filter with code for the host's
// architecture (key "wx86" or "8664") and returns the entry point's name.
bool FilterEntryName(const PiplList& list, uint32_t codeKey, std::string& entryName,
                     std::string& error);

}  // namespace ulvo::host
