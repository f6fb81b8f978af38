// PNG through libpng. libpng reports fatal errors by calling an error function
// that must not return; it jumps back to the setjmp in the calling function.
// All C++ objects touched after setjmp live in the caller's frame and are only
// modified through the helper functions, so their state is in memory when the
// jump lands.
#include <png.h>

#include <bit>
#include <csetjmp>
#include <cstring>
#include <vector>

#include "src/imageio/image_codecs.h"

namespace ulvo {
namespace {

struct PngErrorState {
  std::jmp_buf jump;
  // Room for libpng's error text and the warning after it.
  char message[512] = {};
  // The first warning. libpng names what is wrong with a header in a
  // warning ("Invalid color type/bit depth combination in IHDR") and then
  // fails with "Invalid IHDR data"; the header is the first chunk, so the
  // first warning is the header's.
  char warning[192] = {};
};

[[noreturn]] void OnPngError(png_structp png, png_const_charp text) {
  auto* state = static_cast<PngErrorState*>(png_get_error_ptr(png));
  // Only a header error takes the warning along: a later error has a reason
  // of its own, and an earlier warning may be about another chunk.
  if (state->warning[0] != '\0' && std::strstr(text, "IHDR") != nullptr) {
    std::snprintf(state->message, sizeof state->message, "%s (%s)", text, state->warning);
  } else {
    std::snprintf(state->message, sizeof state->message, "%s", text);
  }
  std::longjmp(state->jump, 1);
}

// Warnings alone change nothing: the image is read as libpng gives it.
void OnPngWarning(png_structp png, png_const_charp text) {
  auto* state = static_cast<PngErrorState*>(png_get_error_ptr(png));
  if (state->warning[0] == '\0') {
    std::snprintf(state->warning, sizeof state->warning, "%s", text);
  }
}

// PNG stores 16-bit samples most significant byte first; Image holds them in
// the machine's order, so libpng swaps them on little-endian machines.
void UseNativeSampleOrder(png_structp png) {
  if constexpr (std::endian::native == std::endian::little) png_set_swap(png);
}

// Reads the header and sets up the transformations to grey, grey+alpha, RGB
// or RGBA of 8 bits, or of 16 bits for a 16-bit file. Returns false (with
// `error`) for images beyond the size limits.
bool ReadPngHeader(png_structp png, png_infop info, int& width, int& height, int& channels,
                   int& bits, std::string& error) {
  png_read_info(png, info);
  const png_uint_32 w = png_get_image_width(png, info);
  const png_uint_32 h = png_get_image_height(png, info);
  const int colourType = png_get_color_type(png, info);
  const int bitDepth = png_get_bit_depth(png, info);
  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  if (bitDepth == 16) UseNativeSampleOrder(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const int c = png_get_channels(png, info);
  const int b = png_get_bit_depth(png, info) == 16 ? 16 : 8;
  if (!CheckImageSize(w, h, static_cast<uint64_t>(c), b, error)) return false;
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  channels = c;
  bits = b;
  return true;
}

void ReadPngRows(png_structp png, Image& image, std::vector<png_bytep>& rows) {
  rows.resize(static_cast<size_t>(image.height));
  for (int y = 0; y < image.height; ++y) rows[static_cast<size_t>(y)] = image.row(y);
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
}

void WritePngRows(png_structp png, png_infop info, const Image& image,
                  std::vector<png_bytep>& rows) {
  static constexpr int kColourTypes[] = {PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA,
                                         PNG_COLOR_TYPE_RGB, PNG_COLOR_TYPE_RGB_ALPHA};
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
               static_cast<png_uint_32>(image.height), image.bits == 16 ? 16 : 8,
               kColourTypes[image.channels - 1], PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  // Deflate's fastest level with every row filtered against its left
  // neighbour: several times faster than the library's default (level 6,
  // each row's filter chosen by trial) and, on photographs, files of about
  // the same size. Any PNG reader reads them.
  png_set_compression_level(png, 1);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
  png_write_info(png, info);
  if (image.bits == 16) UseNativeSampleOrder(png);
  rows.resize(static_cast<size_t>(image.height));
  for (int y = 0; y < image.height; ++y) {
    // libpng takes non-const row pointers but does not write through them.
    rows[static_cast<size_t>(y)] = const_cast<png_bytep>(image.row(y));
  }
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
}

// The functions holding the setjmp keep no local state of their own: what
// they produce goes into objects owned by the caller.
struct PngJob {
  Image image;
  std::vector<png_bytep> rows;
  std::string error;
  bool ok = false;
};

void RunPngRead(png_structp png, png_infop info, std::FILE* file, PngErrorState& state,
                PngJob& job) {
  if (setjmp(state.jump) != 0) {
    job.ok = false;
    job.error = std::string("damaged or unsupported PNG file: ") + state.message;
    return;
  }
  png_init_io(png, file);
  png_set_user_limits(png, kMaxImageDimension, kMaxImageDimension);
  int width = 0, height = 0, channels = 0, bits = 8;
  if (!ReadPngHeader(png, info, width, height, channels, bits, job.error)) return;
  if (!AllocateImage(job.image, width, height, channels, bits, job.error)) return;
  ReadPngRows(png, job.image, job.rows);
  job.ok = true;
}

void RunPngWrite(png_structp png, png_infop info, std::FILE* file, PngErrorState& state,
                 const Image& image, PngJob& job) {
  if (setjmp(state.jump) != 0) {
    job.ok = false;
    job.error = std::string("cannot write PNG: ") + state.message;
    return;
  }
  png_init_io(png, file);
  WritePngRows(png, info, image, job.rows);
  job.ok = true;
}

}  // namespace

bool ReadPng(std::FILE* file, Image& out, std::string& error) {
  PngErrorState state;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, OnPngError, OnPngWarning);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    error = "out of memory";
    return false;
  }
  PngJob job;
  RunPngRead(png, info, file, state, job);
  png_destroy_read_struct(&png, &info, nullptr);
  if (!job.ok) {
    error = job.error;
    return false;
  }
  out = std::move(job.image);
  return true;
}

bool WritePng(std::FILE* file, const Image& image, std::string& error) {
  if (image.channels < 1 || image.channels > 4) {
    error = "PNG files hold at most 4 channels; this image has " + std::to_string(image.channels) +
            " (use TIFF)";
    return false;
  }
  PngErrorState state;
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, OnPngError, OnPngWarning);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    error = "out of memory";
    return false;
  }
  PngJob job;
  RunPngWrite(png, info, file, state, image, job);
  png_destroy_write_struct(&png, &info);
  if (!job.ok) error = job.error;
  return job.ok;
}

}  // namespace ulvo
