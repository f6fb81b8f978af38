// A command's entry in the string table: the status-bar prompt, then, after
// a line break, the tooltip. An entry without a line break is all prompt.
#pragma once

#include <string>

namespace ulvo {

std::string CommandPrompt(const std::string& entry);
std::string CommandTooltip(const std::string& entry);

}  // namespace ulvo
