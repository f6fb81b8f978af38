// Filter runs driven the way a host drives the module, with every value the
// host controls taken from a fuzz input: one fixed-size block per call
// (FilterCall), decoded from the input and encoded by the corpus generator.
// The host's buffers are allocated with exactly the bytes the record
// announces for them (rows of the row distance; with kTightLastRow the last
// row only as long as its pixels), so a read or write beyond them is seen by
// the sanitizers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "src/host/filter_record.h"
#include "src/job/filter_job.h"

namespace ulvo::fuzz {

// What one call of the entry point gets from the host.
struct FilterCall {
  enum Flag : uint8_t {
    kNullRecord = 1 << 0,
    kNullData = 1 << 1,
    kNullResult = 1 << 2,
    kSelection = 1 << 3,  // documentInfo with a selection
    kMask = 1 << 4,       // a mask buffer
    kOut = 1 << 5,        // an output buffer
    kIn = 1 << 6,         // an input buffer
    kAccept = 1 << 7,     // the editor finishes (else it is cancelled)
  };
  enum Override : uint8_t {
    kInRowBytes = 1 << 0,  // the host changes the row distances the module set
    kOutRowBytes = 1 << 1,
    kMaskRowBytes = 1 << 2,
    kSlotZero = 1 << 3,      // the host clears the data slot
    kSlotGarbage = 1 << 4,   // the host puts a value of its own in the slot
    kTightLastRow = 1 << 5,  // the last row of each buffer ends with its pixels
  };

  uint8_t selector = 0;  // modulo 8: the six selectors, then two unknown ones
  uint8_t flags = 0;
  uint8_t overrides = 0;
  uint8_t host = 0;  // executable path for the parameters selector, modulo 4
  int16_t imageMode = pi::kModeRGB;
  int16_t inLayerPlanes = 3;
  int16_t inNonLayerPlanes = 0;
  pi::Rect filterRect{0, 0, 0, 0};  // taken only outside continue and finish
  pi::VRect selection{0, 0, 0, 0};
  int32_t inRowBytes = 0;
  int32_t outRowBytes = 0;
  int32_t maskRowBytes = 0;
  uint8_t fill = 0;  // first byte of the buffers' contents

  static constexpr size_t kEncodedBytes = 47;
  void Encode(std::vector<uint8_t>& out) const;
};

// The selector value a call's byte stands for.
int16_t SelectorOf(const FilterCall& call);

// Decodes up to `maxCalls` calls (a short last block reads as zeros).
std::vector<FilterCall> DecodeCalls(const uint8_t* data, size_t size, size_t maxCalls);

// The editor as the entry point's services see it: it receives the job and
// the depth map and decides, from the call, to finish or cancel.
using EditorRun = void (*)(FilterJob& job, const DepthBuffer& depth, bool accept);

// The editor stand-in: reads and writes every byte the real editor may touch
// (display rows, depth map), and finishes with the source as its result.
void TouchLikeTheEditor(FilterJob& job, const DepthBuffer& depth, bool accept);

// Plays the calls on fresh module state, with a hand-off file of its own in
// the temporary folder; a buffer beyond `maxBufferBytes` is not delivered (a
// null pointer, as from a host out of memory).
void PlayFilterCalls(const std::vector<FilterCall>& calls, EditorRun editor, size_t maxBufferBytes);

}  // namespace ulvo::fuzz
