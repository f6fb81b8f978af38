// The depth hand-off as the entry point runs it. A one-plane donor run stores
// its map in the hand-off file and notes which host process wrote it; a later
// colour run of the same host process takes the map up: by the data slot's
// mark, by the module's memory of the file, or, when the host unloaded the
// module in between and the slot is gone too, by that note. A file that the
// run cannot trust is refused, and the run says why.
#pragma once

#include <cstdint>

#include "src/host/entry_state.h"
#include "src/job/depth_notice.h"

namespace ulvo {

// The donor run of a one-plane job whose input is in display order. False
// when there was no memory for the depth block, or memory ran out before the
// user was told: the host then reports that, and no file is left behind.
bool StoreDonorDepth(EntryState& state, HostServices& services, intptr_t* data);

struct DonorDepthLoad {
  bool memory = true;                       // false: no memory for the depth block
  DepthNotice notice = DepthNotice::kNone;  // why nothing was loaded, when so
};

// Loads the hand-off map into state.depth for a three-plane job, or leaves it
// empty and says why. `slot` is the data slot as the host gave it.
DonorDepthLoad LoadDonorDepth(EntryState& state, HostServices& services, intptr_t* data,
                              intptr_t slot);

// An image that carries its own depth plane ends the hand-off: the slot's
// mark, the module's memory and this process's note go.
void ForgetDonorDepth(EntryState& state, HostServices& services, intptr_t* data);

}  // namespace ulvo
