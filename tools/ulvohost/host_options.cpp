#include "tools/ulvohost/host_options.h"

#include <charconv>
#include <cstdlib>
#include <limits>

namespace ulvo::host {
namespace {

bool ParseInt(const std::string& text, long long min, long long max, long long& value) {
  const char* first = text.data();
  const char* last = text.data() + text.size();
  int base = 10;
  bool negative = false;
  if (first != last && *first == '-') {
    negative = true;
    ++first;
  }
  if (last - first > 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X')) {
    base = 16;
    first += 2;
  }
  unsigned long long magnitude = 0;
  auto [ptr, ec] = std::from_chars(first, last, magnitude, base);
  if (ec != std::errc() || ptr != last || first == last) return false;
  if (magnitude > static_cast<unsigned long long>(std::numeric_limits<long long>::max())) {
    return false;
  }
  value = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
  return value >= min && value <= max;
}

bool ParseList(const std::string& text, long long min, long long max,
               std::vector<long long>& values) {
  values.clear();
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    long long value = 0;
    if (!ParseInt(text.substr(start, comma - start), min, max, value)) return false;
    values.push_back(value);
    start = comma + 1;
  }
  return !values.empty();
}

}  // namespace

const char* HostUsage() {
  return "usage: ulvohost --module PATH [options] (--image FILE [run options] | --about)...\n"
         "\n"
         "host options:\n"
         "  --module PATH        filter module to load\n"
         "  --as NAME            run under another executable name\n"
         "  --continue-cap N     give up after N continue calls in one run (1000)\n"
         "  --reload-between-runs\n"
         "                       unload the module and load it again before every\n"
         "                       run after the first, as hosts that load a module\n"
         "                       for each run do (with --no-data-slot: nothing of an\n"
         "                       earlier run is left in memory)\n"
         "\n"
         "runs (each starts a new run; options before the first run are defaults):\n"
         "  --image FILE         filter run on an image (PNG or TIFF)\n"
         "  --about              about run (selector 0)\n"
         "\n"
         "run options:\n"
         "  --mask FILE          selection mask (grey, same size as the image)\n"
         "  --out FILE           write the resulting image\n"
         "  --script FILE        editor automation script\n"
         "  --cwd DIR            change the working directory before the run\n"
         "                       (file names of the run are relative to it)\n"
         "  --rect T,L,B,R       filter rectangle (default: the whole image)\n"
         "  --mode N             image mode passed to the module\n"
         "  --bits 8|16          bits per sample of the document (8): a 16-bit\n"
         "                       document holds 0..32768 and is given to the module\n"
         "                       in the 16-bit grey or RGB mode; image files of the\n"
         "                       other size are converted, the result is written at\n"
         "                       the document's size\n"
         "  --no-parameters      skip the parameters selector (repeat run)\n"
         "  --no-document-info   pass no document description even with a mask\n"
         "  --row-align N        host buffer rows are a multiple of N bytes (4)\n"
         "  --return-wait S      Windows: seconds the module has to return after the\n"
         "                       script's last step, e.g. a long render (20)\n"
         "  --preset-result N    value stored in *result before every call (0)\n"
         "  --raw-selectors LIST call exactly these selectors, e.g. 4,5,9\n"
         "  --null-record        pass a null record pointer\n"
         "\n"
         "hosts that behave differently (run options too):\n"
         "  --clip-rects         clip every requested rectangle to the image and write\n"
         "                       the clipped one back into the record (no padding);\n"
         "                       with --row-align 1 rows are exactly width x planes\n"
         "  --no-data-slot       a fresh, zeroed data slot for every run\n"
         "  --no-finish          never call finish\n"
         "  --read-only-cwd      the run's current folder refuses the module's depth\n"
         "                       hand-off file: for the run, folders take the names\n"
         "                       alpha.dat and alpha.dat.tmp where no file has them\n"
         "                       (permission bits would not stop an administrator)\n";
}

ParseStatus ParseHostOptions(const std::vector<std::string>& args, HostOptions& options,
                             std::string& error) {
  options = HostOptions{};
  RunPlan defaults;
  bool inRun = false;
  auto current = [&]() -> RunPlan& { return inRun ? options.runs.back() : defaults; };

  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) {
        error = arg + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    auto number = [&](long long min, long long max, long long& out) {
      std::string text;
      if (!value(text)) return false;
      if (!ParseInt(text, min, max, out)) {
        error = "bad value for " + arg + ": " + text;
        return false;
      }
      return true;
    };
    long long n = 0;
    std::string text;

    if (arg == "--help" || arg == "-h") {
      return ParseStatus::kHelp;
    } else if (arg == "--module") {
      if (!value(options.module)) return ParseStatus::kError;
    } else if (arg == "--as") {
      if (!value(options.runAs)) return ParseStatus::kError;
      if (options.runAs.empty() || options.runAs.find_first_of("/\\:") != std::string::npos) {
        error = "--as needs a plain file name";
        return ParseStatus::kError;
      }
    } else if (arg == "--continue-cap") {
      if (!number(1, 1000000, n)) return ParseStatus::kError;
      options.continueCap = static_cast<int>(n);
    } else if (arg == "--reload-between-runs") {
      options.reloadBetweenRuns = true;
    } else if (arg == "--image" || arg == "--about") {
      RunPlan run = defaults;
      run.about = arg == "--about";
      if (!run.about && !value(run.image)) return ParseStatus::kError;
      options.runs.push_back(run);
      inRun = true;
    } else if (arg == "--mask") {
      if (!value(current().mask)) return ParseStatus::kError;
    } else if (arg == "--out") {
      if (!value(current().out)) return ParseStatus::kError;
    } else if (arg == "--cwd") {
      if (!value(current().cwd)) return ParseStatus::kError;
    } else if (arg == "--script") {
      if (!value(current().script)) return ParseStatus::kError;
    } else if (arg == "--rect") {
      std::vector<long long> edges;
      if (!value(text)) return ParseStatus::kError;
      if (!ParseList(text, -32768, 32767, edges) || edges.size() != 4) {
        error = "bad value for --rect (want TOP,LEFT,BOTTOM,RIGHT): " + text;
        return ParseStatus::kError;
      }
      current().rect = RectOption{static_cast<int16_t>(edges[0]), static_cast<int16_t>(edges[1]),
                                  static_cast<int16_t>(edges[2]), static_cast<int16_t>(edges[3])};
    } else if (arg == "--bits") {
      long long n = 0;
      if (!number(8, 16, n)) return ParseStatus::kError;
      if (n != 8 && n != 16) {
        error = "bad value for --bits: " + std::to_string(n) + " (8 or 16)";
        return ParseStatus::kError;
      }
      current().bits = static_cast<int>(n);
    } else if (arg == "--mode") {
      if (!number(-32768, 32767, n)) return ParseStatus::kError;
      current().mode = static_cast<int16_t>(n);
    } else if (arg == "--no-parameters") {
      current().parameters = false;
    } else if (arg == "--no-document-info") {
      current().documentInfo = false;
    } else if (arg == "--row-align") {
      if (!number(1, 4096, n)) return ParseStatus::kError;
      current().rowAlign = static_cast<int>(n);
    } else if (arg == "--return-wait") {
      if (!number(1, 3600, n)) return ParseStatus::kError;
      current().returnWaitSeconds = static_cast<int>(n);
    } else if (arg == "--preset-result") {
      if (!number(-32768, 32767, n)) return ParseStatus::kError;
      current().presetResult = static_cast<int16_t>(n);
    } else if (arg == "--raw-selectors") {
      std::vector<long long> list;
      if (!value(text)) return ParseStatus::kError;
      if (!ParseList(text, -32768, 32767, list)) {
        error = "bad value for --raw-selectors: " + text;
        return ParseStatus::kError;
      }
      current().rawSelectors.assign(list.begin(), list.end());
    } else if (arg == "--null-record") {
      current().nullRecord = true;
    } else if (arg == "--clip-rects") {
      current().clipRects = true;
    } else if (arg == "--no-data-slot") {
      current().dataSlot = false;
    } else if (arg == "--no-finish") {
      current().finish = false;
    } else if (arg == "--read-only-cwd") {
      current().readOnlyCwd = true;
    } else {
      error = "unknown option: " + arg;
      return ParseStatus::kError;
    }
  }

  if (options.module.empty()) {
    error = "--module is required";
    return ParseStatus::kError;
  }
  if (options.runs.empty()) {
    error = "nothing to do: give --image FILE or --about";
    return ParseStatus::kError;
  }
  return ParseStatus::kOk;
}

std::vector<std::string> ArgsWithoutRunAs(const std::vector<std::string>& args) {
  std::vector<std::string> kept;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--as") {
      ++i;
      continue;
    }
    kept.push_back(args[i]);
  }
  return kept;
}

}  // namespace ulvo::host
