// JPEG through libjpeg. Its error manager's exit hook jumps back to the setjmp
// in the Run* functions below, which keep no local state of their own.
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "src/imageio/image_codecs.h"

namespace ulvo {
namespace {

struct JpegErrorManager {
  jpeg_error_mgr base;  // first member: libjpeg hands us a pointer to it
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX] = {};
};

[[noreturn]] void OnJpegError(j_common_ptr cinfo) {
  auto* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, manager->message);
  std::longjmp(manager->jump, 1);
}

void OnJpegMessage(j_common_ptr, int) {}  // warnings and trace output are dropped

void InstallErrorManager(JpegErrorManager& manager) {
  jpeg_std_error(&manager.base);
  manager.base.error_exit = OnJpegError;
  manager.base.emit_message = OnJpegMessage;
}

struct JpegJob {
  Image image;
  std::vector<uint8_t> row;  // a 16-bit image's row rounded to 8 bits
  std::string error;
  bool ok = false;
};

void DecodeJpeg(jpeg_decompress_struct& cinfo, JpegJob& job) {
  jpeg_read_header(&cinfo, TRUE);
  if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
    job.error = "CMYK JPEG files are not supported";
    return;
  }
  cinfo.out_color_space = cinfo.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_start_decompress(&cinfo);
  const int channels = cinfo.output_components;
  if (!CheckImageSize(cinfo.output_width, cinfo.output_height, static_cast<uint64_t>(channels), 8,
                      job.error)) {
    return;
  }
  if (!AllocateImage(job.image, static_cast<int>(cinfo.output_width),
                     static_cast<int>(cinfo.output_height), channels, 8, job.error)) {
    return;
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = job.image.row(static_cast<int>(cinfo.output_scanline));
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  job.ok = true;
}

void RunJpegRead(jpeg_decompress_struct& cinfo, JpegErrorManager& errors, std::FILE* file,
                 JpegJob& job) {
  if (setjmp(errors.jump) != 0) {
    job.ok = false;
    job.error = std::string("damaged or unsupported JPEG file: ") + errors.message;
    return;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, file);
  DecodeJpeg(cinfo, job);
}

// JPEG holds 8 bits per sample: the rows of a 16-bit image are rounded to 8
// bits one at a time into `row`, which the caller owns and has sized.
void EncodeJpeg(jpeg_compress_struct& cinfo, const Image& image, int quality,
                std::vector<uint8_t>& row) {
  cinfo.image_width = static_cast<JDIMENSION>(image.width);
  cinfo.image_height = static_cast<JDIMENSION>(image.height);
  cinfo.input_components = image.channels;
  cinfo.in_color_space = image.channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  const size_t rowSamples = static_cast<size_t>(image.width) * image.channels;
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = static_cast<int>(cinfo.next_scanline);
    JSAMPROW samples = nullptr;
    if (image.bits == 16) {
      const size_t first = static_cast<size_t>(y) * rowSamples;
      for (size_t i = 0; i < rowSamples; ++i) row[i] = image.sample8(first + i);
      samples = row.data();
    } else {
      // libjpeg takes non-const rows but only reads them.
      samples = const_cast<JSAMPROW>(image.row(y));
    }
    jpeg_write_scanlines(&cinfo, &samples, 1);
  }
  jpeg_finish_compress(&cinfo);
}

void RunJpegWrite(jpeg_compress_struct& cinfo, JpegErrorManager& errors, std::FILE* file,
                  const Image& image, int quality, JpegJob& job) {
  if (setjmp(errors.jump) != 0) {
    job.ok = false;
    job.error = std::string("cannot write JPEG: ") + errors.message;
    return;
  }
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file);
  EncodeJpeg(cinfo, image, quality, job.row);
  job.ok = true;
}

}  // namespace

bool ReadJpeg(std::FILE* file, Image& out, std::string& error) {
  jpeg_decompress_struct cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  JpegErrorManager errors;
  InstallErrorManager(errors);
  cinfo.err = &errors.base;
  JpegJob job;
  RunJpegRead(cinfo, errors, file, job);
  jpeg_destroy_decompress(&cinfo);
  if (!job.ok) {
    error = job.error;
    return false;
  }
  out = std::move(job.image);
  return true;
}

bool WriteJpeg(std::FILE* file, const Image& image, int quality, std::string& error) {
  if (image.channels != 1 && image.channels != 3) {
    error = "JPEG files hold grey or RGB only; this image has " + std::to_string(image.channels) +
            " channels (use PNG or TIFF)";
    return false;
  }
  jpeg_compress_struct cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  JpegErrorManager errors;
  InstallErrorManager(errors);
  cinfo.err = &errors.base;
  JpegJob job;
  if (image.bits == 16) {
    try {
      job.row.resize(static_cast<size_t>(image.width) * image.channels);
    } catch (const std::bad_alloc&) {
      error = "out of memory";
      return false;
    }
  }
  RunJpegWrite(cinfo, errors, file, image, quality, job);
  jpeg_destroy_compress(&cinfo);
  if (!job.ok) error = job.error;
  return job.ok;
}

}  // namespace ulvo
