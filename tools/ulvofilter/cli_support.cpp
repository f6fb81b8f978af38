#include "tools/ulvofilter/cli_support.h"

#include <algorithm>

#include "tools/ulvofilter/output_path.h"

namespace ulvo {

int Fail(const CliEnvironment& env, const std::string& message, int code) {
  env.err << "ulvofilter: " << message << "\n";
  return code;
}

bool OutputUsable(const std::string& path, const CliEnvironment& env, int& code) {
  const OutputCheck check = CheckOutputPath(path);
  if (check.exitCode == 0) return true;
  code = Fail(env, check.message, check.exitCode);
  return false;
}

Image ColourOnly(const Image& image) {
  const int colour = image.channels >= 3 ? 3 : 1;
  if (image.channels == colour) return image;
  Image out;
  out.width = image.width;
  out.height = image.height;
  out.channels = colour;
  out.bits = image.bits;
  const size_t sampleBytes = static_cast<size_t>(image.sampleBytes());
  const size_t pixelIn = image.channels * sampleBytes, pixelOut = colour * sampleBytes;
  out.pixels.resize(static_cast<size_t>(image.width) * image.height * pixelOut);
  for (size_t i = 0, n = static_cast<size_t>(image.width) * image.height; i < n; ++i) {
    std::copy_n(image.pixels.data() + i * pixelIn, pixelOut, out.pixels.data() + i * pixelOut);
  }
  return out;
}

std::string Wrap(const std::string& text, size_t width, const std::string& first, size_t indent) {
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
      out += '\n';
      out.append(indent, ' ');
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

}  // namespace ulvo
