#include "src/editor/command_text.h"

namespace ulvo {

std::string CommandPrompt(const std::string& entry) {
  return entry.substr(0, entry.find('\n'));
}

std::string CommandTooltip(const std::string& entry) {
  const size_t cut = entry.find('\n');
  return cut == std::string::npos ? std::string() : entry.substr(cut + 1);
}

}  // namespace ulvo
