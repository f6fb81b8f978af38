#include "tools/ulvofilter/render_command.h"

#include <CLI/CLI.hpp>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <optional>
#include <string>

#include "src/imageio/image_file.h"
#include "src/imageio/pattern_loader.h"
#include "tools/ulvofilter/aperture_shapes.h"
#include "tools/ulvofilter/cli_support.h"
#include "tools/ulvofilter/handoff_depth.h"
#include "tools/ulvofilter/progress_bar.h"

namespace ulvo {
namespace {

struct StreamMessages : UserMessages {
  explicit StreamMessages(std::ostream& s) : stream(s) {}
  void ShowMessage(const std::string& text) override { stream << "ulvofilter: " << text << "\n"; }
  std::ostream& stream;
};

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

void AddRenderOptions(CLI::App& cmd, RenderArgs& a) {
  cmd.add_option("image", a.image, "image to blur (PNG, JPEG or TIFF; 8 or 16 bits)")->required();
  cmd.add_option("-o,--output", a.output, "result file (.png, .jpg/.jpeg, .tif/.tiff)")
      ->type_name("FILE")
      ->required();
  auto* depth =
      cmd.add_option("--depth", a.depthImage,
                     "depth map as a grey image of the same size (16 bits are rounded to 8)")
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
               "also write the image's depth and other extra channels (PNG, TIFF; at the "
               "image's sample size)");
  cmd.add_flag("--invert-depth", a.request.invertDepth,
               "the depth map has 255 near, 0 far: use 255 - d for each depth d");
  cmd.footer(
      Wrap("The depth map comes from --depth, else --depth-file, else the image's first channel "
           "after its colour; without one the whole image is blurred evenly with the widest "
           "kernel. Depth 0 is nearest and 255 farthest; --invert-depth reads a map the other way "
           "round (255 nearest), and --focus then counts in the inverted values (0 nearest).\n"
           "\n"
           "A 16-bit PNG or TIFF image is rendered at 16 bits, and a PNG or TIFF result has 16 "
           "bits per sample too, its extra channels included; a JPEG result holds 8 bits, so it "
           "is rounded to 8 bits. Depth values stay 8-bit (0..255, as --focus counts them): a "
           "16-bit depth map, or the depth channel of a 16-bit image, is rounded to 8 bits, "
           "(d * 255 + 32767) / 65535.\n"
           "\n"
           "The output's folder, and its type from the name, are checked before the image is "
           "read; the result is written under a temporary name and renamed, so a failed or "
           "cancelled run leaves no partial file.",
           78));
}

}  // namespace

CLI::App* AddRenderCommand(CLI::App& app, RenderArgs& args) {
  CLI::App* cmd = app.add_subcommand("render", "blur an image by its depth map");
  AddRenderOptions(*cmd, args);
  return cmd;
}

int RunRender(const RenderArgs& args, const CliEnvironment& env) {
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
  const bool jpeg = IsJpegName(args.output);
  const bool keepExtras = args.keepExtraChannels && !jpeg;
  if (args.keepExtraChannels && !keepExtras) {
    env.err << "ulvofilter: note: JPEG files hold no extra channels; writing the colour only\n";
  }
  if (jpeg && image.bits == 16) {
    env.err << "ulvofilter: note: JPEG files hold 8 bits per sample; the 16-bit result is "
               "rounded to 8 bits\n";
  }
  if (!WriteImageFile(args.output, keepExtras ? image : ColourOnly(image), error)) {
    return Fail(env, error);
  }
  env.out << "wrote " << args.output << "\n";
  return 0;
}

}  // namespace ulvo
