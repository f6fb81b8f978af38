#include "tools/ulvofilter/cli.h"

#include <CLI/CLI.hpp>
#include <array>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "src/imageio/image_file.h"
#include "src/imageio/pattern_loader.h"
#include "tools/ulvofilter/aperture_shapes.h"
#include "tools/ulvofilter/bench_command.h"
#include "tools/ulvofilter/demo_scene.h"
#include "tools/ulvofilter/handoff_depth.h"
#include "tools/ulvofilter/man_page.h"
#include "tools/ulvofilter/output_path.h"
#include "tools/ulvofilter/progress_bar.h"
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

// Breaks `text` into lines of at most `width` characters (longer words
// stand alone), the first line after `first`, the others after `indent`
// spaces. Blank lines in `text` stay as paragraph breaks.
std::string Wrap(const std::string& text, size_t width, const std::string& first = "",
                 size_t indent = 0) {
  std::string out = first;
  size_t column = first.size();
  bool lineEmpty = true;
  size_t pos = 0;
  while (pos < text.size()) {
    if (text.compare(pos, 2, "\n\n") == 0) {
      out += "\n\n";
      column = 0;
      lineEmpty = true;
      pos += 2;
      continue;
    }
    if (text[pos] == ' ' || text[pos] == '\n') {
      ++pos;
      continue;
    }
    const size_t end = std::min(text.find_first_of(" \n", pos), text.size());
    const std::string word = text.substr(pos, end - pos);
    pos = end;
    if (!lineEmpty && column + 1 + word.size() > width) {
      out += "\n" + std::string(indent, ' ');
      column = indent;
      lineEmpty = true;
    }
    if (!lineEmpty) {
      out += ' ';
      ++column;
    }
    out += word;
    column += word.size();
    lineEmpty = false;
  }
  return out;
}

std::string ExitCodeTable() {
  std::string table = "Exit codes:\n";
  for (const ExitCodeMeaning& exit : kExitCodes) {
    std::string code = "  " + std::to_string(exit.code);
    code.resize(7, ' ');
    table += Wrap(exit.meaning, 78, code, 7) + "\n";
  }
  return table;
}

struct StreamMessages : UserMessages {
  explicit StreamMessages(std::ostream& s) : stream(s) {}
  void ShowMessage(const std::string& text) override { stream << "ulvofilter: " << text << "\n"; }
  std::ostream& stream;
};

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

int Fail(const CliEnvironment& env, const std::string& message, int code = kExitFailure) {
  env.err << "ulvofilter: " << message << "\n";
  return code;
}

// x,y,width,height: four whole numbers and nothing else.
bool ParseRegion(const std::string& text, std::array<int, 4>& rectangle) {
  std::array<int, 4> values;
  const char* p = text.data();
  const char* end = text.data() + text.size();
  for (int i = 0; i < 4; ++i) {
    auto [next, ec] = std::from_chars(p, end, values[i]);
    if (ec != std::errc()) return false;
    p = next;
    if (i < 3) {
      if (p == end || *p != ',') return false;
      ++p;
    }
  }
  if (p != end) return false;
  rectangle = values;
  return true;
}

bool IsJpegName(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".jpg" || ext == ".jpeg";
}

// The colour channels only. A depth plane written as the alpha channel of a
// PNG would make the result look transparent in every viewer.
Image ColourOnly(const Image& image) {
  const int colour = image.channels >= 3 ? 3 : 1;
  if (image.channels == colour) return image;
  Image out;
  out.width = image.width;
  out.height = image.height;
  out.channels = colour;
  out.pixels.resize(static_cast<size_t>(image.width) * image.height * colour);
  for (size_t i = 0, n = static_cast<size_t>(image.width) * image.height; i < n; ++i) {
    for (int c = 0; c < colour; ++c) {
      out.pixels[i * colour + c] = image.pixels[i * image.channels + c];
    }
  }
  return out;
}

// Loads the depth map named on the command line, if any, and checks its size.
bool LoadDepth(const RenderArgs& args, const Image& image, std::optional<DepthPlane>& plane,
               std::string& error) {
  if (args.depthImage.empty() && args.depthFile.empty()) return true;
  DepthPlane loaded;
  if (!args.depthImage.empty()) {
    Image grey;
    if (!ReadImageFile(args.depthImage, grey, error)) return false;
    if (!DepthPlaneFromImage(grey, loaded, error)) {
      error = args.depthImage + ": " + error;
      return false;
    }
  } else if (!ReadHandoffDepthFile(args.depthFile, loaded, error)) {
    return false;
  }
  if (loaded.width != image.width || loaded.height != image.height) {
    error = "the depth map is " + std::to_string(loaded.width) + " x " +
            std::to_string(loaded.height) + " pixels but the image is " +
            std::to_string(image.width) + " x " + std::to_string(image.height);
    return false;
  }
  plane = std::move(loaded);
  return true;
}

// Fails before any work when the output cannot be written.
bool OutputUsable(const std::string& path, const CliEnvironment& env, int& code) {
  const OutputCheck check = CheckOutputPath(path);
  if (check.exitCode == 0) return true;
  code = Fail(env, check.message, check.exitCode);
  return false;
}

int Render(const RenderArgs& args, const CliEnvironment& env) {
  int code = 0;
  if (!OutputUsable(args.output, env, code)) return code;
  std::array<int, 4> rectangle{};
  if (!args.region.empty() && !ParseRegion(args.region, rectangle)) {
    return Fail(env, "--region wants x,y,width,height, e.g. 10,20,100,100", kExitUsage);
  }

  std::string error;
  Image image;
  if (!ReadImageFile(args.image, image, error)) return Fail(env, error);

  std::optional<DepthPlane> plane;
  if (!LoadDepth(args, image, plane, error)) return Fail(env, error);

  PatternBitmap pattern;
  if (args.pattern.empty()) {
    pattern = DefaultPattern();
  } else {
    StreamMessages messages(env.err);
    if (!LoadPatternBitmap(args.pattern, pattern, messages)) {
      return Fail(env, args.pattern + ": cannot use this aperture pattern");
    }
  }

  RenderRequest request = args.request;
  if (!args.region.empty()) {
    DisplayRegion region;
    if (!RegionFromTop(rectangle, image.width, image.height, region, error)) {
      return Fail(env, error);
    }
    request.region = region;
  }

  const DepthPlane* depth = plane ? &*plane : nullptr;
  if (ChooseDepthSource(image, depth) == RenderDepthKind::kNone) {
    env.err << "ulvofilter: note: no depth map, so the whole image is blurred evenly\n";
  }
  ProgressBar progress(env.progressStream, env.drawProgress, env.cancel);
  RenderReport report;
  if (!RenderImage(image, depth, pattern, request, &progress, report, error)) {
    if (report.status == RenderStatus::kCancelled) {
      return Fail(env, "cancelled; nothing was written", kExitCancelled);
    }
    return Fail(env, error);
  }
  // Small renders report no progress, so an interrupt may only show now.
  if (env.cancel != nullptr && env.cancel->load()) {
    return Fail(env, "cancelled; nothing was written", kExitCancelled);
  }
  if (report.maxBlurUsed != request.values.max_blur) {
    env.err << "ulvofilter: note: maximum blur " << request.values.max_blur << " lowered to "
            << report.maxBlurUsed << " to fit the " << pattern.width << " x " << pattern.height
            << " pattern\n";
  }
  if (report.status == RenderStatus::kNoLevels) {
    env.err << "ulvofilter: note: maximum blur below 2, the image is unchanged\n";
  }
  const bool keepExtras = args.keepExtraChannels && !IsJpegName(args.output);
  if (args.keepExtraChannels && !keepExtras) {
    env.err << "ulvofilter: note: JPEG files hold no extra channels; writing the colour only\n";
  }
  if (!WriteImageFile(args.output, keepExtras ? image : ColourOnly(image), error)) {
    return Fail(env, error);
  }
  env.out << "wrote " << args.output << "\n";
  return 0;
}

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

void AddRenderOptions(CLI::App& cmd, RenderArgs& a) {
  cmd.add_option("image", a.image, "image to blur (PNG, JPEG or TIFF)")->required();
  cmd.add_option("-o,--output", a.output, "result file (.png, .jpg/.jpeg, .tif/.tiff)")
      ->type_name("FILE")
      ->required();
  auto* depth =
      cmd.add_option("--depth", a.depthImage, "depth map as a grey image of the same size")
          ->type_name("FILE");
  cmd.add_option("--depth-file", a.depthFile, "depth map as a hand-off file (alpha.dat)")
      ->type_name("FILE")
      ->excludes(depth);
  cmd.add_option("--pattern", a.pattern, "aperture pattern (TIFF); default: a built-in disc")
      ->type_name("FILE");
  cmd.add_option("--focus", a.request.values.focus_depth, "depth value in focus")
      ->check(CLI::Range(0, 255))
      ->capture_default_str();
  cmd.add_option("--max-blur", a.request.values.max_blur, "widest blur in pixels")
      ->check(CLI::Range(0, 4096))
      ->capture_default_str();
  cmd.add_option("--levels", a.request.values.large_levels, "number of large depth levels")
      ->check(CLI::Range(1, 128))
      ->capture_default_str();
  cmd.add_option("--hardness", a.request.values.hardness, "steepness of the highlight curve")
      ->check(CLI::Range(0.5, 6.0))
      ->capture_default_str();
  cmd.add_option("--brightness", a.request.values.brightness, "highlight brightness")
      ->check(CLI::Validator(
          [](std::string& text) -> std::string {
            double v = 0;
            if (!CLI::detail::lexical_cast(text, v) || !std::isfinite(v) || v <= 0 || v > 1000) {
              return "brightness must be a number greater than 0 and at most 1000";
            }
            return {};
          },
          "(0,1000]"))
      ->capture_default_str();
  cmd.add_option("--skip", a.request.values.skip, "render every n-th pixel (faster, coarser)")
      ->check(CLI::Range(1, 5))
      ->capture_default_str();
  cmd.add_option("--region", a.region, "render only x,y,width,height (as the preview does)")
      ->type_name("X,Y,W,H");
  cmd.add_option("--threads", a.request.threads, "threads to render with (0: one per core)")
      ->check(CLI::Range(0, 256))
      ->capture_default_str();
  cmd.add_flag("--keep-extra-channels", a.keepExtraChannels,
               "also write the image's depth and other extra channels (PNG, TIFF)");
  cmd.add_flag("--invert-depth", a.request.invertDepth,
               "the depth map has 255 near, 0 far: use 255 - d for each depth d");
  cmd.footer(
      Wrap("The depth map comes from --depth, else --depth-file, else the image's first channel "
           "after its colour; without one the whole image is blurred evenly with the widest "
           "kernel. Depth 0 is nearest and 255 farthest; --invert-depth reads a map the other way "
           "round (255 nearest), and --focus then counts in the inverted values (0 nearest).\n"
           "\n"
           "The output's folder, and its type from the name, are checked before the image is "
           "read; the result is written under a temporary name and renamed, so a failed or "
           "cancelled run leaves no partial file.",
           78));
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
  CLI::App* render = app.add_subcommand("render", "blur an image by its depth map");
  AddRenderOptions(*render, renderArgs);

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
  if (render->parsed()) return Render(renderArgs, env);
  if (demo->parsed()) return Demo(demoArgs, env);
  if (makePattern->parsed()) return MakePattern(patternArgs, env);
  if (makeScene->parsed()) return MakeScene(sceneOutput, env);
  if (bench->parsed()) return RunBench(benchArgs, env);
  if (man->parsed()) return WriteManPage(app, manArgs, env);
  return kExitUsage;
}

}  // namespace ulvo
