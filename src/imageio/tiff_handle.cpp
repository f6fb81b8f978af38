#include "src/imageio/tiff_handle.h"

#include <cstdarg>
#include <cstdio>

namespace ulvo {
namespace {

int CollectError(TIFF*, void* userData, const char* module, const char* fmt, va_list ap) {
  auto* diag = static_cast<TiffDiagnostics*>(userData);
  // A damaged file can produce an error per tag or row; the first few say it.
  constexpr size_t kMaxLength = 1000;
  if (diag->errors.size() >= kMaxLength) {
    if (diag->errors.back() != '.') diag->errors += "; ...";
    return 1;
  }
  char text[512];
  std::vsnprintf(text, sizeof text, fmt, ap);
  if (!diag->errors.empty()) diag->errors += "; ";
  if (module != nullptr && *module != '\0') {
    diag->errors += module;
    diag->errors += ": ";
  }
  diag->errors += text;
  return 1;  // handled: the global handler stays silent
}

int DropWarning(TIFF*, void*, const char*, const char*, va_list) {
  return 1;
}

struct OptionsDeleter {
  void operator()(TIFFOpenOptions* opts) const { TIFFOpenOptionsFree(opts); }
};

}  // namespace

TiffPtr OpenTiff(const std::string& path, const char* mode, TiffDiagnostics& diag,
                 tmsize_t maxSingleAlloc) {
  std::unique_ptr<TIFFOpenOptions, OptionsDeleter> opts(TIFFOpenOptionsAlloc());
  if (!opts) {
    diag.errors = "out of memory";
    return nullptr;
  }
  TIFFOpenOptionsSetErrorHandlerExtR(opts.get(), CollectError, &diag);
  TIFFOpenOptionsSetWarningHandlerExtR(opts.get(), DropWarning, nullptr);
  TIFFOpenOptionsSetMaxSingleMemAlloc(opts.get(), maxSingleAlloc);
  TiffPtr tif(TIFFOpenExt(path.c_str(), mode, opts.get()));
  if (!tif && diag.errors.empty()) diag.errors = "cannot open " + path;
  return tif;
}

}  // namespace ulvo
