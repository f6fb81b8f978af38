// Lines the host prints for people and tests. Standard output is shared with
// the module, so every line is flushed at once to keep the order of both.
#pragma once

#include <cstdio>
#include <string>

namespace ulvo::host {

inline void Say(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

inline void SayError(const std::string& line) {
  std::fflush(stdout);
  std::fprintf(stderr, "ulvohost: %s\n", line.c_str());
  std::fflush(stderr);
}

}  // namespace ulvo::host
