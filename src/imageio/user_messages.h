// Where the loaders send texts the user must see: the editor shows them in a
// message box, the command-line tool prints them, tests record them.
#pragma once

#include <string>

namespace ulvo {

// Told when a pattern's pixels do not fit in memory.
inline constexpr char kPatternOutOfMemoryText[] = "Not enough memory for the pattern";

class UserMessages {
 public:
  virtual ~UserMessages() = default;
  virtual void ShowMessage(const std::string& text) = 0;
};

}  // namespace ulvo
