// `ulvofilter bench`: whole renders of generated scenes, the threaded paths
// against the reference path in the same process, side by side, and for the
// 12 MP scenes the time of reading and writing their image files.
#pragma once

#include <string>
#include <vector>

#include "tools/ulvofilter/cli.h"

namespace CLI {
class App;
}

namespace ulvo {

struct BenchArgs {
  std::vector<std::string> scenes;  // empty: all
  int threads = 0;                  // 0: one per hardware thread
  int repetitions = 1;
  bool quick = false;          // small scenes, for smoke tests
  bool skipReference = false;  // the reference path is slow on large scenes
};

// Adds the subcommand to `app`; the caller runs RunBench when it was parsed.
CLI::App* AddBenchCommand(CLI::App& app, BenchArgs& args);

int RunBench(const BenchArgs& args, const CliEnvironment& env);

}  // namespace ulvo
