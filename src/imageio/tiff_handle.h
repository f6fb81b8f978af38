// Opening TIFF files with libtiff so that its diagnostics are collected per
// file instead of going to the process-wide handlers (which may print to the
// console or pop up a window, depending on how libtiff was built).
#pragma once

#include <tiffio.h>

#include <memory>
#include <string>

namespace ulvo {

// Collects libtiff's error texts for one open file; warnings are dropped.
// Must outlive the TIFF handle it was passed to.
struct TiffDiagnostics {
  std::string errors;  // the messages, separated by "; "
};

struct TiffCloser {
  void operator()(TIFF* tif) const {
    if (tif != nullptr) TIFFClose(tif);
  }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

// Opens `path` with `mode` ("r" or "w"); on failure returns null with the
// reason in diag.errors. No single libtiff allocation for this file may exceed
// `maxSingleAlloc` bytes, so a hostile header cannot demand huge buffers.
TiffPtr OpenTiff(const std::string& path, const char* mode, TiffDiagnostics& diag,
                 tmsize_t maxSingleAlloc = tmsize_t{256} << 20);

}  // namespace ulvo
