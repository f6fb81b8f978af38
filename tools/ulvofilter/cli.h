// The command line of ulvofilter, kept out of main() so that tests can run it.
#pragma once

#include <atomic>
#include <cstdio>
#include <ostream>
#include <span>

namespace ulvo {

// Exit codes besides 0 (success).
inline constexpr int kExitFailure = 1;  // a file or the render failed
inline constexpr int kExitUsage = 2;    // bad arguments
inline constexpr int kExitCancelled = 130;

struct ExitCodeMeaning {
  int code;
  const char* meaning;
};

// Every exit code with what it means, for --help and the manual page.
std::span<const ExitCodeMeaning> ExitCodeMeanings();

struct CliEnvironment {
  std::ostream& out;
  std::ostream& err;
  const std::atomic<bool>* cancel = nullptr;  // set when the user interrupts
  bool drawProgress = false;                  // a progress bar on stderr
  std::FILE* progressStream = stderr;         // where the progress bar is drawn
};

int RunCli(int argc, const char* const* argv, const CliEnvironment& env);

}  // namespace ulvo
