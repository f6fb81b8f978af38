// Something that can handle menu, toolbar and key commands. The frame offers
// each command to its targets in turn: view, document, application.
#pragma once

#include <cstdint>

namespace ulvo {

class CommandTarget {
 public:
  virtual ~CommandTarget() = default;
  // True when the command was handled; it then goes no further.
  virtual bool OnCommand(uint32_t id) = 0;
};

}  // namespace ulvo
