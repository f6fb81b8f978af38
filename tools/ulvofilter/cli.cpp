#include "tools/ulvofilter/cli.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "src/imageio/image_file.h"
#include "tools/ulvofilter/aperture_shapes.h"
#include "tools/ulvofilter/bench_command.h"
#include "tools/ulvofilter/cli_support.h"
#include "tools/ulvofilter/demo_scene.h"
#include "tools/ulvofilter/man_page.h"
#include "tools/ulvofilter/progress_bar.h"
#include "tools/ulvofilter/render_command.h"
#include "tools/ulvofilter/render_job.h"
#include "ulvo_version.h"

namespace ulvo {
namespace {

constexpr char kToolName[] = "ulvofilter";
constexpr char kSummary[] = "depth-of-field blur with aperture-shaped highlights";

constexpr ExitCodeMeaning kExitCodes[] = {
    {0, "done"},
    {kExitFailure,
     "a file could not be read or written, the output's folder is missing or not writable, or "
     "the render failed (for example an all-black pattern)"},
    {kExitUsage,
     "bad arguments: an unknown command or option, a value out of range, an output "
     "name of a type the tool cannot write"},
    {kExitCancelled, "cancelled by Ctrl-C; nothing was written"},
};

constexpr char kDescription[] =
    "renders the blur a lens makes outside its plane of focus: every pixel is spread over a "
    "kernel shaped like the aperture pattern, the kernel grows with the distance of the "
    "pixel's depth value from the focus depth, bright pixels bloom into the aperture's shape "
    "and nearer objects are not smeared over by the blur behind them.";

std::string ExitCodeTable() {
  std::string table = "Exit codes:\n";
  for (const ExitCodeMeaning& exit : kExitCodes) {
    std::string code = "  " + std::to_string(exit.code);
    code.resize(7, ' ');
    table += Wrap(exit.meaning, 78, code, 7) + "\n";
  }
  return table;
}

struct DemoArgs {
  std::string directory = ".";
};

struct ManArgs {
  std::string output;  // empty: standard output
};

struct PatternArgs {
  std::string shape;
  std::string output;
  int size = 101;
};

int Demo(const DemoArgs& args, const CliEnvironment& env) {
  std::error_code ec;
  std::filesystem::create_directories(args.directory, ec);
  if (ec) return Fail(env, args.directory + ": cannot create the folder: " + ec.message());
  const auto path = [&](const char* name) {
    return (std::filesystem::path(args.directory) / name).string();
  };

  Image scene = MakeDemoScene();
  Image colour = ColourOnly(scene);
  Image depth;
  depth.width = scene.width;
  depth.height = scene.height;
  depth.channels = 1;
  depth.pixels.resize(static_cast<size_t>(scene.width) * scene.height);
  for (size_t i = 0; i < depth.pixels.size(); ++i) depth.pixels[i] = scene.pixels[i * 4 + 3];

  std::string error;
  if (!WriteImageFile(path("ulvofilter-demo-input.png"), colour, error) ||
      !WriteImageFile(path("ulvofilter-demo-depth.png"), depth, error)) {
    return Fail(env, error);
  }

  RenderRequest request;
  request.values.focus_depth = kDemoFocusDepth;
  request.values.max_blur = 30;
  request.values.hardness = 2.0;
  const PatternBitmap pattern = ToPatternBitmap(DrawAperture(ApertureShape::kHexagon, 64));
  ProgressBar progress(env.progressStream, env.drawProgress, env.cancel);
  RenderReport report;
  env.out << "rendering the sample scene (" << scene.width << " x " << scene.height
          << ", hexagonal aperture, focus on the sign) ...\n";
  if (!RenderImage(scene, nullptr, pattern, request, &progress, report, error)) {
    return Fail(env, error,
                report.status == RenderStatus::kCancelled ? kExitCancelled : kExitFailure);
  }
  if (env.cancel != nullptr && env.cancel->load()) {
    return Fail(env, "cancelled; no result was written", kExitCancelled);
  }
  const std::string result = path("ulvofilter-demo-result.png");
  if (!WriteImageFile(result, ColourOnly(scene), error)) return Fail(env, error);
  env.out << "input:  " << path("ulvofilter-demo-input.png") << "\n"
          << "depth:  " << path("ulvofilter-demo-depth.png") << "\n"
          << "result: " << result << "\n";
  return 0;
}

int MakePattern(const PatternArgs& args, const CliEnvironment& env) {
  int code = 0;
  if (!OutputUsable(args.output, env, code)) return code;
  for (const auto& [name, shape] : ApertureShapeNames()) {
    if (name != args.shape) continue;
    std::string error;
    if (!WriteImageFile(args.output, DrawAperture(shape, args.size), error)) {
      return Fail(env, error);
    }
    env.out << "wrote " << args.output << "\n";
    return 0;
  }
  return Fail(env, "unknown shape " + args.shape, kExitUsage);
}

int MakeScene(const std::string& output, const CliEnvironment& env) {
  int code = 0;
  if (!OutputUsable(output, env, code)) return code;
  std::string error;
  if (!WriteImageFile(output, MakeDemoScene(), error)) return Fail(env, error);
  env.out << "wrote " << output << " (RGB with the depth map as fourth channel, focus "
          << kDemoFocusDepth << ")\n";
  return 0;
}

int WriteManPage(const CLI::App& app, const ManArgs& args, const CliEnvironment& env) {
  const std::string page =
      FormatManPage(app, ManPageText{ULVO_VERSION, kSummary, kDescription, ExitCodeMeanings()});
  if (args.output.empty()) {
    env.out << page;
    return 0;
  }
  std::ofstream file(args.output, std::ios::binary);
  file << page;
  file.close();
  if (!file) return Fail(env, args.output + ": cannot write the manual page");
  return 0;
}

}  // namespace

std::span<const ExitCodeMeaning> ExitCodeMeanings() {
  return kExitCodes;
}

int RunCli(int argc, const char* const* argv, const CliEnvironment& env) {
  CLI::App app{std::string(kToolName) + " " + ULVO_VERSION + ": " + kSummary, kToolName};
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string(kToolName) + " " + ULVO_VERSION,
                       "print the version and exit");

  RenderArgs renderArgs;
  CLI::App* render = AddRenderCommand(app, renderArgs);

  DemoArgs demoArgs;
  CLI::App* demo = app.add_subcommand("demo", "render the built-in sample scene");
  demo->add_option("-o,--output-dir", demoArgs.directory, "folder for the results")
      ->type_name("DIR")
      ->capture_default_str();

  PatternArgs patternArgs;
  CLI::App* makePattern = app.add_subcommand("make-pattern", "draw an aperture pattern");
  std::vector<std::string> shapes;
  for (const auto& entry : ApertureShapeNames()) shapes.push_back(entry.first);
  makePattern->add_option("shape", patternArgs.shape, "the shape")
      ->required()
      ->check(CLI::IsMember(shapes));
  makePattern->add_option("-o,--output", patternArgs.output, "pattern file (.tif)")
      ->type_name("FILE")
      ->required();
  makePattern->add_option("--size", patternArgs.size, "width and height in pixels")
      ->check(CLI::Range(8, 1024))
      ->capture_default_str();

  std::string sceneOutput;
  CLI::App* makeScene =
      app.add_subcommand("make-scene", "write the sample scene with its depth channel");
  makeScene->add_option("-o,--output", sceneOutput, "scene file (.tif or .png)")
      ->type_name("FILE")
      ->required();

  BenchArgs benchArgs;
  CLI::App* bench = AddBenchCommand(app, benchArgs);

  // Writes the manual page; the build runs it. Hidden: not a user's command.
  ManArgs manArgs;
  CLI::App* man = app.add_subcommand("help-man", "write the manual page (troff)")->group("");
  man->add_option("-o,--output", manArgs.output, "page file (default: standard output)")
      ->type_name("FILE");
  // Set last: subcommands added after it would inherit it.
  app.footer(ExitCodeTable());

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e, env.out, env.err);
    return code == 0 ? 0 : kExitUsage;
  }
  if (render->parsed()) return RunRender(renderArgs, env);
  if (demo->parsed()) return Demo(demoArgs, env);
  if (makePattern->parsed()) return MakePattern(patternArgs, env);
  if (makeScene->parsed()) return MakeScene(sceneOutput, env);
  if (bench->parsed()) return RunBench(benchArgs, env);
  if (man->parsed()) return WriteManPage(app, manArgs, env);
  return kExitUsage;
}

}  // namespace ulvo
