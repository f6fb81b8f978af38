// Runs the host as a child process in a given directory with a time limit and
// collects what it prints.
#pragma once

#include <string>
#include <vector>

namespace ulvo::e2e {

struct ProcessResult {
  bool started = false;
  bool timedOut = false;
  int exitCode = -1;  // 128 + signal when killed by one
  std::string out;    // standard output
  std::string err;    // standard error
};

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& cwd,
                         int timeoutSeconds);

}  // namespace ulvo::e2e
