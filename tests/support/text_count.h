// Counting what a log says: how often a line or a phrase occurs in it.
#pragma once

#include <cstddef>
#include <string>

namespace ulvo {

// Occurrences of `piece` in `text`, overlapping ones included.
size_t Occurrences(const std::string& text, const std::string& piece);

}  // namespace ulvo
