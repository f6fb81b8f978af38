// The `ui:` lines of the headless platform: what the editor showed and did,
// one line each, for tests and scripts to read.
#pragma once

#include <ostream>
#include <string_view>

namespace ulvo {

class UiLog {
 public:
  explicit UiLog(std::ostream& out) : out_(out) {}

  void operator()(std::string_view line) const { out_ << "ui: " << line << std::endl; }

 private:
  std::ostream& out_;
};

}  // namespace ulvo
