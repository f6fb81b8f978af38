#include "tools/ulvofilter/bench_command.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iomanip>
#include <sstream>
#include <system_error>
#include <thread>

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include "src/engine/defocus_engine.h"
#include "src/imageio/image_file.h"
#include "tools/ulvofilter/aperture_shapes.h"

namespace ulvo {
namespace {

struct BenchScene {
  std::string name;
  std::string description;
  int width = 0;
  int height = 0;
  int maxBlur = 24;
  bool colourFringe = false;  // three-plane pattern
  int bits = 8;               // of the samples; a 16-bit scene is also rendered at 8 bits
};

std::vector<BenchScene> Scenes(bool quick) {
  if (quick) {
    return {{"12mp-blur24", "800 x 600 stand-in, maximum blur 24", 800, 600, 24, false},
            {"12mp-blur64", "800 x 600 stand-in, maximum blur 64", 800, 600, 64, false},
            {"3mp-fringe", "400 x 300 stand-in, three-plane pattern", 400, 300, 24, true},
            {"preview", "256 x 256 preview region", 256, 256, 24, false},
            {"12mp-16bit", "800 x 600 stand-in, 16-bit samples", 800, 600, 24, false, 16}};
  }
  return {
      {"12mp-blur24", "4000 x 3000, maximum blur 24", 4000, 3000, 24, false},
      {"12mp-blur64", "4000 x 3000, maximum blur 64", 4000, 3000, 64, false},
      {"3mp-fringe", "2000 x 1500, three-plane pattern, maximum blur 24", 2000, 1500, 24, true},
      {"preview", "512 x 512 preview region, maximum blur 24", 512, 512, 24, false},
      {"12mp-16bit", "4000 x 3000, 16-bit samples, maximum blur 24", 4000, 3000, 24, false, 16}};
}

// A generated photograph: smooth colour gradients with fine texture, a grid
// of small bright lights that bloom into the aperture, depth rising from
// left to right with nearer blocks standing in front (so that occlusion
// happens along their edges). A 16-bit scene has its gradients and texture
// at 16-bit precision, and its 8-bit version is every sample rounded to 8
// bits.
struct SceneImages {
  std::vector<uint8_t> colour;    // 3 bytes a pixel
  std::vector<uint8_t> colour16;  // 16-bit scenes: 3 native-endian 16-bit samples a pixel
  std::vector<uint8_t> depth;     // 1 byte a pixel
};

SceneImages MakeScene(int width, int height, int bits) {
  SceneImages s;
  const size_t pixels = static_cast<size_t>(width) * height;
  s.colour.resize(pixels * 3);
  if (bits == 16) s.colour16.resize(pixels * 6);
  s.depth.resize(pixels);
  uint32_t seed = 12345;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const size_t i = static_cast<size_t>(y) * width + x;
      uint8_t* p = &s.colour[i * 3];
      if (bits == 16) {
        const int noise = static_cast<int>(seed >> 20);  // 0..4095
        const int64_t wide[3] = {40 * 257 + int64_t{120 * 257} * x / width + noise,
                                 30 * 257 + int64_t{100 * 257} * y / height + noise,
                                 90 * 257 + noise * 4};
        uint16_t samples[3];
        for (int c = 0; c < 3; ++c) {
          samples[c] = x % 37 == 5 && y % 41 == 7 ? 65535 : static_cast<uint16_t>(wide[c]);
          p[c] = static_cast<uint8_t>((samples[c] + 128) / 257);
        }
        std::memcpy(&s.colour16[i * 6], samples, sizeof samples);
      } else {
        const int noise = static_cast<int>(seed >> 28);  // 0..15
        p[0] = static_cast<uint8_t>(40 + 120 * x / width + noise);
        p[1] = static_cast<uint8_t>(30 + 100 * y / height + noise);
        p[2] = static_cast<uint8_t>(90 + noise * 4);
        if (x % 37 == 5 && y % 41 == 7) p[0] = p[1] = p[2] = 255;  // lights
      }
      int depth = 255 * x / width;
      const int bx = x * 8 / width;
      const int by = y * 6 / height;
      if ((bx + by) % 3 == 0 && (x * 8 % width) > width / 5 && (y * 6 % height) > height / 6) {
        depth = 60 + 10 * bx;  // a nearer block
      }
      s.depth[i] = static_cast<uint8_t>(depth);
    }
  }
  return s;
}

struct Measurement {
  double seconds = 0;
  RunStats stats;
  std::vector<uint8_t> output;
  bool ok = false;
};

long PeakResidentKiB() {
#if defined(_WIN32)
  return -1;
#else
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) return -1;
  return usage.ru_maxrss;
#endif
}

// Renders the scene's colour once at `bits` bits into m, keeping the
// fastest time.
void RenderOnce(const BenchScene& scene, const SceneImages& images, const PatternBitmap& pattern,
                const EngineOptions& options, int bits, Measurement* m) {
  const std::vector<uint8_t>& colour = bits == 16 ? images.colour16 : images.colour;
  const int pixelBytes = bits == 16 ? 6 : 3;
  m->output.resize(colour.size());
  DefocusEngine engine;
  engine.SetDepthMap(images.depth.data(), 1, scene.width);
  engine.SetImage(0, pixelBytes, scene.width, scene.height, colour.data(),
                  scene.width * pixelBytes);
  engine.SetPattern(0, 3, pattern.width, pattern.height, pattern.pixels.data(), pattern.rowStride);
  engine.SetOutput(0, pixelBytes, m->output.data(), scene.width * pixelBytes);
  engine.SetOptions(options);
  const auto start = std::chrono::steady_clock::now();
  RenderValues values;
  values.max_blur = scene.maxBlur;
  values.sample_bits = bits;
  const RenderStatus status = engine.Run(values);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  m->ok = status == RenderStatus::kDone;
  m->seconds = std::min(m->seconds, took.count());
  m->stats = engine.stats();
}

// Renders the scene `repetitions` times at its sample size, and a 16-bit
// scene's 8-bit version too (into *eight), the two taking turns so that
// both see the same load on a shared machine; the fastest of each counts.
Measurement Measure(const BenchScene& scene, const SceneImages& images,
                    const PatternBitmap& pattern, const EngineOptions& options, int repetitions,
                    Measurement* eight) {
  Measurement m;
  m.seconds = 1e300;
  if (eight != nullptr) eight->seconds = 1e300;
  for (int rep = 0; rep < repetitions; ++rep) {
    RenderOnce(scene, images, pattern, options, scene.bits, &m);
    if (eight != nullptr) RenderOnce(scene, images, pattern, options, 8, eight);
  }
  return m;
}

// The time `ulvofilter render` spends on the image files of a scene: the
// source read from a PNG file and the result written as one, each the best
// of `repetitions`. Negative when a file could not be written or read.
struct FileTimes {
  double read = -1;
  double write = -1;
  uint64_t in_bytes = 0;
  uint64_t out_bytes = 0;
};

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

FileTimes TimeImageFiles(const BenchScene& scene, const std::vector<uint8_t>& source,
                         const std::vector<uint8_t>& result, int repetitions) {
  FileTimes times;
  std::error_code ec;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
  if (ec) return times;
  const std::string stem = "ulvofilter-bench-" +
                           std::to_string(std::hash<std::thread::id>{}(std::this_thread::get_id()));
  const std::string in_path = (folder / (stem + "-in.png")).string();
  const std::string out_path = (folder / (stem + "-out.png")).string();
  Image image;
  image.width = scene.width;
  image.height = scene.height;
  image.channels = 3;
  image.pixels = source;
  std::string error;
  if (WriteImageFile(in_path, image, error)) {
    times.in_bytes = std::filesystem::file_size(in_path, ec);
    for (int rep = 0; rep < repetitions; ++rep) {
      Image read;
      const auto start = std::chrono::steady_clock::now();
      if (!ReadImageFile(in_path, read, error)) break;
      const double took = Seconds(start);
      times.read = times.read < 0 ? took : std::min(times.read, took);
    }
    image.pixels = result;
    for (int rep = 0; rep < repetitions; ++rep) {
      const auto start = std::chrono::steady_clock::now();
      if (!WriteImageFile(out_path, image, error)) break;
      const double took = Seconds(start);
      times.write = times.write < 0 ? took : std::min(times.write, took);
    }
    times.out_bytes = std::filesystem::file_size(out_path, ec);
  }
  std::filesystem::remove(in_path, ec);
  std::filesystem::remove(out_path, ec);
  return times;
}

std::string Megabytes(uint64_t bytes) {
  std::ostringstream text;
  text << std::fixed << std::setprecision(1) << bytes / 1048576.0;
  return text.str();
}

}  // namespace

CLI::App* AddBenchCommand(CLI::App& app, BenchArgs& args) {
  CLI::App* cmd = app.add_subcommand(
      "bench", "time whole renders of generated scenes, every path against the reference");
  std::vector<std::string> names;
  for (const BenchScene& scene : Scenes(false)) names.push_back(scene.name);
  cmd->add_option("--scene", args.scenes, "scenes to render (default: all)")
      ->check(CLI::IsMember(names));
  cmd->add_option("--threads", args.threads, "threads of the fast path (0: one per core)")
      ->check(CLI::Range(0, 256))
      ->capture_default_str();
  cmd->add_option("--repetitions", args.repetitions, "renders per path; the fastest counts")
      ->check(CLI::Range(1, 100))
      ->capture_default_str();
  cmd->add_flag("--quick", args.quick, "small stand-ins of the scenes (a smoke test)");
  cmd->add_flag("--no-reference", args.skipReference,
                "skip the slow reference path (no ratios then)");
  return cmd;
}

int RunBench(const BenchArgs& args, const CliEnvironment& env) {
  const int hardware = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const int threads = args.threads > 0 ? args.threads : hardware;
  env.out << "ulvofilter bench: " << hardware << " hardware threads, fast path with " << threads
          << " thread(s); best of " << args.repetitions << " run(s)\n"
          << "cells/s/thread: kernel cells of one channel added (colour and weight) per second "
             "and thread\n"
          << "engine MB: working buffers the engine allocated (pattern, bands, kernel sets); "
             "peak RSS: the process's high-water mark so far\n";
  bool allIdentical = true;
  for (const BenchScene& scene : Scenes(args.quick)) {
    if (!args.scenes.empty() &&
        std::find(args.scenes.begin(), args.scenes.end(), scene.name) == args.scenes.end()) {
      continue;
    }
    const SceneImages images = MakeScene(scene.width, scene.height, scene.bits);
    const PatternBitmap pattern = ToPatternBitmap(
        DrawAperture(scene.colourFringe ? ApertureShape::kColourFringe : ApertureShape::kDisc, 64));
    const bool sixteen = scene.bits == 16;

    struct Row {
      std::string path;
      int threads;
      Measurement m;
      bool identical = false;
      Measurement eight;  // a 16-bit scene's 8-bit version, rendered in turn with it
    };
    std::vector<Row> rows;
    // Each render is compared with the first at once; once a row is
    // measured only the first row's output is kept (a 16-bit scene's row
    // holds its 8-bit output too while it is measured).
    const auto measure = [&](const char* name, int used, const EngineOptions& options) {
      Row row{name, used, {}, false, {}};
      row.m = Measure(scene, images, pattern, options, args.repetitions,
                      sixteen ? &row.eight : nullptr);
      row.identical = row.m.ok && (rows.empty() || row.m.output == rows.front().m.output);
      if (!rows.empty()) std::vector<uint8_t>().swap(row.m.output);
      std::vector<uint8_t>().swap(row.eight.output);
      rows.push_back(std::move(row));
    };
    EngineOptions options;
    if (!args.skipReference) {
      options.scatter_path = ScatterPath::kReference;
      measure("reference", 1, options);
    }
    for (const auto& [name, path] :
         {std::pair{"fast", ScatterPath::kFast}, std::pair{"outline", ScatterPath::kOutline}}) {
      options.scatter_path = path;
      options.threads = 1;
      measure(name, 1, options);
      if (threads > 1) {
        options.threads = threads;
        measure(name, threads, options);
      }
    }

    // Cells are counted by the fast path; every path adds the same cells.
    uint64_t cells = 0;
    for (const Row& row : rows) cells = std::max(cells, row.m.stats.cell_additions);
    const uint64_t imageBytes =
        static_cast<uint64_t>(scene.width) * scene.height * (sixteen ? 6 : 3);

    env.out << "\n"
            << scene.name << ": " << scene.description << ", " << cells << " cell additions\n";
    env.out << std::left << std::setw(10) << "path" << std::right << std::setw(8) << "threads"
            << std::setw(10) << "wall s" << std::setw(16) << "cells/s/thread" << std::setw(11)
            << "engine MB" << std::setw(13) << "peak RSS MB" << std::setw(10) << "vs ref"
            << std::setw(11) << "identical";
    if (sixteen)
      env.out << std::setw(10) << "8-bit s" << std::setw(11) << "8-bit MB" << std::setw(12)
              << "vs 8-bit";
    env.out << "\n";
    for (const Row& row : rows) {
      const Measurement& m = row.m;
      const bool identical = row.identical;
      allIdentical = allIdentical && identical && (!sixteen || row.eight.ok);
      const int used = row.path == "reference" ? 1 : std::max(1, m.stats.threads);
      const long rss = PeakResidentKiB();
      std::ostringstream rate, ratio;
      rate << std::scientific << std::setprecision(2) << cells / m.seconds / used;
      if (args.skipReference) {
        ratio << "-";
      } else {
        ratio << std::fixed << std::setprecision(2) << rows.front().m.seconds / m.seconds << "x";
      }
      env.out << std::left << std::setw(10) << row.path << std::right << std::setw(8) << used
              << std::setw(10) << std::fixed << std::setprecision(3) << m.seconds << std::setw(16)
              << rate.str() << std::setw(11) << Megabytes(m.stats.working_bytes) << std::setw(13)
              << (rss < 0 ? std::string("-") : Megabytes(static_cast<uint64_t>(rss) * 1024))
              << std::setw(10) << ratio.str() << std::setw(11)
              << (m.ok ? (identical ? "yes" : "NO") : "FAILED");
      if (sixteen) {
        // Side by side in this process: the 16-bit render's time over the
        // 8-bit render's of the same scene, path and threads.
        std::ostringstream slower;
        slower << std::fixed << std::setprecision(2) << m.seconds / row.eight.seconds << "x";
        env.out << std::setw(10) << std::fixed << std::setprecision(3) << row.eight.seconds
                << std::setw(11) << Megabytes(row.eight.stats.working_bytes) << std::setw(12)
                << (row.eight.ok ? slower.str() : std::string("FAILED"));
      }
      env.out << "\n";
    }
    // The memory the render may use: 1.5 times source, output, a 16-byte
    // band per thread (the whole region up to 512 rows, else max(2 x pattern
    // rows, 256) rows) and the kernel sets.
    const Row& last = rows.back();
    const uint64_t bandRows =
        scene.height <= 512 ? scene.height : std::max(2 * pattern.height, 256);
    const uint64_t budget = 2 * imageBytes +
                            16ull * scene.width * bandRows * std::max(1, last.m.stats.threads) +
                            last.m.stats.kernel_bytes;
    // The tool's own work around a render of the 12 MP scenes: reading
    // the source from a PNG file and writing the result as one.
    if (!args.quick && !sixteen && static_cast<uint64_t>(scene.width) * scene.height >= 12000000) {
      double fastest = rows.front().m.seconds;
      for (const Row& row : rows) fastest = std::min(fastest, row.m.seconds);
      const FileTimes files =
          TimeImageFiles(scene, images.colour, rows.front().m.output, args.repetitions);
      if (files.read < 0 || files.write < 0) {
        env.out << "files: could not be timed (no temporary folder to write to)\n";
      } else {
        std::ostringstream line;
        line << std::fixed << std::setprecision(3) << "files: PNG in " << files.read << " s ("
             << Megabytes(files.in_bytes) << " MB), PNG out " << files.write << " s ("
             << Megabytes(files.out_bytes) << " MB); together " << std::setprecision(2)
             << (files.read + files.write) / fastest << " x the fastest render\n";
        env.out << line.str();
      }
    }
    env.out << "memory: source + output + engine = "
            << Megabytes(2 * imageBytes + last.m.stats.working_bytes) << " MB of a "
            << Megabytes(budget * 3 / 2) << " MB allowance\n";
    if (sixteen) {
      // The engine's buffers of both renders, and what the larger samples
      // add to the images.
      const uint64_t eightBytes = imageBytes / 2;
      env.out << "16-bit vs 8-bit: engine " << Megabytes(last.m.stats.working_bytes) << " MB vs "
              << Megabytes(last.eight.stats.working_bytes) << " MB, source + output "
              << Megabytes(2 * imageBytes) << " MB vs " << Megabytes(2 * eightBytes) << " MB\n";
    }
  }
  if (!allIdentical) {
    env.err << "ulvofilter: bench: a fast render differs from the reference render\n";
    return kExitFailure;
  }
  return 0;
}

}  // namespace ulvo
