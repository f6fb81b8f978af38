// `ulvofilter render`: one image blurred by its depth map, the whole of it
// or a region, written under a temporary name and renamed.
#pragma once

#include <string>

#include "tools/ulvofilter/cli.h"
#include "tools/ulvofilter/render_job.h"

namespace CLI {
class App;
}

namespace ulvo {

struct RenderArgs {
  std::string image;
  std::string output;
  std::string depthImage;
  std::string depthFile;
  std::string pattern;
  std::string region;
  bool keepExtraChannels = false;
  RenderRequest request;
};

// Adds the subcommand to `app`; the caller runs RunRender when it was parsed.
CLI::App* AddRenderCommand(CLI::App& app, RenderArgs& args);

int RunRender(const RenderArgs& args, const CliEnvironment& env);

}  // namespace ulvo
