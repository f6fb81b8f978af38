// The selector protocol of the entry point. The process-wide state lives in one
// EntryState object owned by the entry-point file; everything the module needs
// from outside comes in through HostServices so that a whole run can be
// driven in tests.
#pragma once

#include <cstdint>

#include "src/host/entry_state.h"

namespace ulvo {

// Runs one selector. Never throws: anything unexpected becomes an error result.
void RunSelector(EntryState& state, HostServices& services, int16_t selector, void* record,
                 intptr_t* data, int16_t* result) noexcept;

}  // namespace ulvo
