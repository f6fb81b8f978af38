// What the tool's commands share: their failure message and exit code, the
// check of an output path before any work, the colour channels of an image
// for writing, and the wrapping of help text.
#pragma once

#include <cstddef>
#include <string>

#include "src/imageio/image_file.h"
#include "tools/ulvofilter/cli.h"

namespace ulvo {

// Writes "ulvofilter: message" to the error stream and returns `code`.
int Fail(const CliEnvironment& env, const std::string& message, int code = kExitFailure);

// Fails before any work when the output cannot be written; `code` is then
// the exit code.
bool OutputUsable(const std::string& path, const CliEnvironment& env, int& code);

// The colour channels only. A depth plane written as the alpha channel of a
// PNG would make the result look transparent in every viewer.
Image ColourOnly(const Image& image);

// Breaks `text` into lines of at most `width` characters (longer words
// stand alone), the first line after `first`, the others after `indent`
// spaces. Blank lines in `text` stay as paragraph breaks.
std::string Wrap(const std::string& text, size_t width, const std::string& first = "",
                 size_t indent = 0);

}  // namespace ulvo
