// Writes the seed corpora of the fuzz targets into the folder named on the
// command line (tests/fuzz/corpus): small valid inputs of every kind each
// target reads, so that fuzzing starts from files that get past the first
// checks. The output is checked in; run this again after changing it.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "src/host/filter_record.h"
#include "src/imageio/image_file.h"
#include "src/resources/editor_ids.h"
#include "tests/fuzz/filter_calls.h"
#include "tests/support/file_bytes.h"
#include "tests/support/test_png.h"
#include "tests/support/test_tiff.h"
#include "tools/ulvofilter/handoff_depth.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using ulvo::fuzz::FilterCall;

void WriteBytes(const fs::path& path, const Bytes& bytes) {
  fs::create_directories(path.parent_path());
  ulvo::WriteFileBytes(path, bytes);
}

void WriteText(const fs::path& path, const std::string& text) {
  WriteBytes(path, Bytes(text.begin(), text.end()));
}

Bytes Ramp(size_t n, int step) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * step);
  return b;
}

// TIFF layouts the pixel decoder handles, each a few hundred bytes.
std::vector<std::pair<std::string, ulvo::TestTiff>> PatternTiffs() {
  std::vector<std::pair<std::string, ulvo::TestTiff>> tiffs;
  ulvo::TestTiff grey;
  grey.width = 8;
  grey.height = 6;
  grey.compression = COMPRESSION_LZW;
  grey.data = Ramp(48, 5);
  tiffs.emplace_back("grey8-lzw.tif", grey);

  ulvo::TestTiff bilevel;
  bilevel.width = 9;
  bilevel.height = 3;
  bilevel.bits = 1;
  bilevel.photometric = PHOTOMETRIC_MINISWHITE;
  bilevel.compression = COMPRESSION_PACKBITS;
  bilevel.data = Ramp(6, 77);
  tiffs.emplace_back("bilevel-miniswhite.tif", bilevel);

  ulvo::TestTiff palette;
  palette.width = 5;
  palette.height = 4;
  palette.bits = 4;
  palette.photometric = PHOTOMETRIC_PALETTE;
  palette.data = Ramp(12, 19);
  for (int i = 0; i < 16; ++i) {
    palette.red.push_back(static_cast<uint16_t>(i * 4096));
    palette.green.push_back(static_cast<uint16_t>(65535 - i * 4096));
    palette.blue.push_back(static_cast<uint16_t>(i * 1000));
  }
  tiffs.emplace_back("palette4.tif", palette);

  ulvo::TestTiff rgb;
  rgb.width = 4;
  rgb.height = 4;
  rgb.samples = 3;
  rgb.photometric = PHOTOMETRIC_RGB;
  rgb.compression = COMPRESSION_ADOBE_DEFLATE;
  rgb.data = Ramp(48, 11);
  tiffs.emplace_back("rgb8-deflate.tif", rgb);

  ulvo::TestTiff planes = rgb;
  planes.width = 3;
  planes.height = 3;
  planes.samples = 4;
  planes.planar = PLANARCONFIG_SEPARATE;
  planes.compression = COMPRESSION_NONE;
  planes.data = Ramp(36, 7);
  tiffs.emplace_back("rgba8-separate.tif", planes);

  ulvo::TestTiff greyAlpha;
  greyAlpha.width = 4;
  greyAlpha.height = 2;
  greyAlpha.samples = 2;
  greyAlpha.bits = 2;
  greyAlpha.data = Ramp(4, 51);
  tiffs.emplace_back("grey2-alpha.tif", greyAlpha);
  return tiffs;
}

void WritePatternAndImageTiffs(const fs::path& root) {
  for (const auto& [name, tiff] : PatternTiffs()) {
    const fs::path path = root / "pattern_loader" / name;
    fs::create_directories(path.parent_path());
    if (!ulvo::WriteTestTiff(path.string(), tiff))
      std::fprintf(stderr, "cannot write %s\n", name.c_str());
  }
  fs::create_directories(root / "image_file");
  for (const char* name : {"grey8-lzw.tif", "palette4.tif", "rgba8-separate.tif"}) {
    fs::copy_file(root / "pattern_loader" / name, root / "image_file" / name,
                  fs::copy_options::overwrite_existing);
  }
}

void WriteImages(const fs::path& root) {
  struct Shape {
    const char* name;
    int width, height, channels;
  };
  for (const Shape& s :
       {Shape{"grey.png", 5, 4, 1}, Shape{"grey-alpha.png", 3, 2, 2}, Shape{"rgb.png", 3, 3, 3},
        Shape{"rgba.png", 2, 3, 4}, Shape{"grey.jpg", 8, 8, 1}, Shape{"rgb.jpg", 9, 7, 3}}) {
    ulvo::Image image;
    image.width = s.width;
    image.height = s.height;
    image.channels = s.channels;
    image.pixels = Ramp(static_cast<size_t>(s.width) * s.height * s.channels, 37);
    std::string error;
    if (!ulvo::WriteImageFile((root / "image_file" / s.name).string(), image, error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
    }
  }
}

std::vector<uint16_t> Ramp16(size_t n, int step) {
  std::vector<uint16_t> samples(n);
  for (size_t i = 0; i < n; ++i) samples[i] = static_cast<uint16_t>(i * step);
  return samples;
}

// 16-bit files: grey, RGB and RGBA as the tools write them, PNG files with
// transparency, significant bits and interlacing, TIFF files of the other
// byte order and planar layout, and layouts the readers refuse by name
// (signed, floating-point and 12-bit samples, a 16-bit palette PNG).
void WriteSixteenBitImages(const fs::path& root) {
  const fs::path folder = root / "image_file";
  struct Shape {
    const char* name;
    int width, height, channels;
  };
  for (const Shape& s : {Shape{"grey16.png", 4, 3, 1}, Shape{"rgb16.png", 3, 3, 3},
                         Shape{"rgba16.png", 3, 2, 4}, Shape{"rgba16.tif", 3, 2, 4}}) {
    ulvo::Image image;
    image.width = s.width;
    image.height = s.height;
    image.channels = s.channels;
    image.bits = 16;
    image.pixels =
        ulvo::NativeSamples(Ramp16(static_cast<size_t>(s.width) * s.height * s.channels, 4099));
    std::string error;
    if (!ulvo::WriteImageFile((folder / s.name).string(), image, error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
    }
  }

  ulvo::TestPng keyed;
  keyed.width = 4;
  keyed.height = 2;
  keyed.bitDepth = 16;
  keyed.data = ulvo::BigEndianSamples(Ramp16(8, 8191));
  keyed.hasTransparent = true;
  keyed.transparent.gray = 8191;
  ulvo::TestPng twelve;
  twelve.width = 3;
  twelve.height = 3;
  twelve.bitDepth = 16;
  twelve.colourType = PNG_COLOR_TYPE_RGB;
  twelve.interlaced = true;
  twelve.significantBits = 12;
  twelve.data = ulvo::BigEndianSamples(Ramp16(27, 2416));
  for (const auto& [name, png] : {std::pair{"grey16-transparent.png", keyed},
                                  std::pair{"rgb16-sbit12-interlaced.png", twelve}}) {
    if (!ulvo::WriteTestPng((folder / name).string(), png))
      std::fprintf(stderr, "cannot write %s\n", name);
  }
  Bytes palette = ulvo::ReadFileBytes(folder / "grey16.png");
  if (ulvo::RewritePngHeader(palette, 4, 3, 16, PNG_COLOR_TYPE_PALETTE)) {
    WriteBytes(folder / "palette16-invalid.png", palette);
  }

  std::vector<std::pair<std::string, ulvo::TestTiff>> tiffs;
  ulvo::TestTiff grey;
  grey.width = 4;
  grey.height = 3;
  grey.bits = 16;
  grey.bigEndian = true;
  grey.compression = COMPRESSION_LZW;
  grey.data = ulvo::NativeSamples(Ramp16(12, 5471));
  tiffs.emplace_back("grey16-bigendian-lzw.tif", grey);
  ulvo::TestTiff whiteIsZero = grey;
  whiteIsZero.photometric = PHOTOMETRIC_MINISWHITE;
  whiteIsZero.bigEndian = false;
  whiteIsZero.compression = COMPRESSION_NONE;
  tiffs.emplace_back("grey16-miniswhite.tif", whiteIsZero);
  ulvo::TestTiff planes;
  planes.width = 3;
  planes.height = 2;
  planes.samples = 4;
  planes.bits = 16;
  planes.photometric = PHOTOMETRIC_RGB;
  planes.planar = PLANARCONFIG_SEPARATE;
  planes.data = ulvo::NativeSamples(Ramp16(24, 2731));
  tiffs.emplace_back("rgba16-separate.tif", planes);
  ulvo::TestTiff signedGrey = grey;
  signedGrey.sampleFormat = SAMPLEFORMAT_INT;
  signedGrey.compression = COMPRESSION_NONE;
  tiffs.emplace_back("grey16-signed.tif", signedGrey);
  ulvo::TestTiff halfFloat = planes;
  halfFloat.planar = PLANARCONFIG_CONTIG;
  halfFloat.sampleFormat = SAMPLEFORMAT_IEEEFP;
  tiffs.emplace_back("rgba16-float.tif", halfFloat);
  ulvo::TestTiff twelveBits;
  twelveBits.width = 3;
  twelveBits.height = 2;
  twelveBits.samples = 3;
  twelveBits.bits = 12;
  twelveBits.photometric = PHOTOMETRIC_RGB;
  twelveBits.data = Ramp(28, 23);
  tiffs.emplace_back("rgb12.tif", twelveBits);
  for (const auto& [name, tiff] : tiffs) {
    if (!ulvo::WriteTestTiff((folder / name).string(), tiff))
      std::fprintf(stderr, "cannot write %s\n", name.c_str());
  }
}

Bytes DepthFile(int width, int height, int rowBytes) {
  ulvo::DepthPlane plane;
  plane.width = width;
  plane.height = height;
  plane.rowBytes = rowBytes;
  plane.bottomUp = Ramp(static_cast<size_t>(rowBytes) * height, 9);
  return ulvo::SerializeHandoffDepth(plane);
}

void WriteDepthFiles(const fs::path& root) {
  const Bytes small = DepthFile(4, 3, 4);
  const Bytes padded = DepthFile(5, 2, 8);
  const Bytes single = DepthFile(1, 1, 1);
  WriteBytes(root / "handoff_depth" / "4x3.dat", small);
  WriteBytes(root / "handoff_depth" / "5x2-padded.dat", padded);
  WriteBytes(root / "handoff_depth" / "1x1.dat", single);

  // The depth file target's prefix: flags (bit 0: expect a width, bit 1: a
  // height), the expected width and height, the capacity's slack.
  const auto withPrefix = [](uint8_t flags, int16_t w, int16_t h, int16_t slack, Bytes file) {
    Bytes b{flags};
    if (flags & 1) b.insert(b.end(), {static_cast<uint8_t>(w), static_cast<uint8_t>(w >> 8)});
    if (flags & 2) b.insert(b.end(), {static_cast<uint8_t>(h), static_cast<uint8_t>(h >> 8)});
    b.insert(b.end(), {static_cast<uint8_t>(slack), static_cast<uint8_t>(slack >> 8)});
    b.insert(b.end(), file.begin(), file.end());
    return b;
  };
  WriteBytes(root / "depth_file" / "exact.bin", withPrefix(3, 4, 3, 0, small));
  WriteBytes(root / "depth_file" / "roomy.bin", withPrefix(0, 0, 0, 64, padded));
  WriteBytes(root / "depth_file" / "too-small.bin", withPrefix(1, 5, 0, -1, padded));
  Bytes truncated = small;
  truncated.resize(truncated.size() - 3);
  WriteBytes(root / "depth_file" / "truncated.bin", withPrefix(0, 0, 0, 8, truncated));
}

FilterCall Call(uint8_t selector, int16_t mode = ulvo::pi::kModeRGB, int16_t planes = 3) {
  FilterCall c;
  c.selector = selector;
  c.imageMode = mode;
  c.inLayerPlanes = planes;
  c.filterRect = {0, 0, 3, 5};
  c.fill = 60;
  return c;
}

Bytes Encode(const std::vector<FilterCall>& calls) {
  Bytes out;
  for (const FilterCall& c : calls) c.Encode(out);
  return out;
}

// Whole runs as hosts make them: a grey donor run and a colour run that
// takes its depth, a four-plane run with mask and selection, a host that
// calls again after the editor, a cancelled run, a 16-bit donor and colour run.
void WriteFilterRuns(const fs::path& root) {
  using ulvo::pi::kSelectorContinue;
  using ulvo::pi::kSelectorFinish;
  using ulvo::pi::kSelectorParameters;
  using ulvo::pi::kSelectorPrepare;
  using ulvo::pi::kSelectorStart;
  std::vector<std::pair<std::string, Bytes>> runs;

  std::vector<FilterCall> handoff;
  for (const uint8_t s : {kSelectorParameters, kSelectorPrepare, kSelectorStart}) {
    handoff.push_back(Call(s, ulvo::pi::kModeGray, 1));
  }
  FilterCall donor = Call(kSelectorContinue, ulvo::pi::kModeGray, 1);
  donor.flags = FilterCall::kIn;
  handoff.push_back(donor);
  handoff.push_back(Call(kSelectorFinish, ulvo::pi::kModeGray, 1));
  handoff.push_back(Call(kSelectorPrepare));
  handoff.push_back(Call(kSelectorStart));
  FilterCall colour = Call(kSelectorContinue);
  colour.flags = FilterCall::kIn | FilterCall::kOut | FilterCall::kAccept;
  handoff.push_back(colour);
  handoff.push_back(Call(kSelectorFinish));
  runs.emplace_back("grey-donor-then-colour.bin", Encode(handoff));

  std::vector<FilterCall> masked;
  FilterCall start = Call(kSelectorStart, ulvo::pi::kModeRGB, 3);
  start.inNonLayerPlanes = 1;
  start.flags = FilterCall::kSelection;
  start.selection = {1, 1, 3, 4};
  masked.push_back(Call(kSelectorPrepare));
  masked.push_back(start);
  FilterCall run = Call(kSelectorContinue, ulvo::pi::kModeRGB, 3);
  run.inNonLayerPlanes = 1;
  run.flags = FilterCall::kIn | FilterCall::kOut | FilterCall::kMask | FilterCall::kAccept;
  masked.push_back(run);
  masked.push_back(Call(kSelectorFinish));
  runs.emplace_back("four-planes-mask-selection.bin", Encode(masked));

  std::vector<FilterCall> again;
  FilterCall parameters = Call(kSelectorParameters);
  parameters.host = 1;
  again.push_back(parameters);
  again.push_back(Call(kSelectorPrepare));
  again.push_back(Call(kSelectorStart));
  FilterCall first = Call(kSelectorContinue);
  first.flags = FilterCall::kIn | FilterCall::kOut | FilterCall::kAccept;
  again.push_back(first);
  again.push_back(first);
  again.push_back(Call(kSelectorFinish));
  runs.emplace_back("second-continue.bin", Encode(again));

  std::vector<FilterCall> cancelled = {Call(kSelectorPrepare), Call(kSelectorStart)};
  FilterCall cancel = Call(kSelectorContinue);
  cancel.flags = FilterCall::kIn | FilterCall::kOut;
  cancelled.push_back(cancel);
  cancelled.push_back(Call(kSelectorFinish));
  runs.emplace_back("cancelled.bin", Encode(cancelled));

  // The 16-bit modes: a Gray16 donor, then an RGB48 run with a 16-bit mask.
  std::vector<FilterCall> sixteen;
  for (const uint8_t s : {kSelectorParameters, kSelectorPrepare, kSelectorStart}) {
    sixteen.push_back(Call(s, ulvo::pi::kModeGray16, 1));
  }
  FilterCall donor16 = Call(kSelectorContinue, ulvo::pi::kModeGray16, 1);
  donor16.flags = FilterCall::kIn;
  sixteen.push_back(donor16);
  sixteen.push_back(Call(kSelectorFinish, ulvo::pi::kModeGray16, 1));
  sixteen.push_back(Call(kSelectorPrepare, ulvo::pi::kModeRGB48, 3));
  sixteen.push_back(Call(kSelectorStart, ulvo::pi::kModeRGB48, 3));
  FilterCall colour16 = Call(kSelectorContinue, ulvo::pi::kModeRGB48, 3);
  colour16.flags = FilterCall::kIn | FilterCall::kOut | FilterCall::kMask | FilterCall::kAccept;
  sixteen.push_back(colour16);
  sixteen.push_back(Call(kSelectorFinish, ulvo::pi::kModeRGB48, 3));
  runs.emplace_back("sixteen-bit-donor-then-colour-mask.bin", Encode(sixteen));

  for (const auto& [name, bytes] : runs) {
    WriteBytes(root / "entry_point" / name, bytes);
    WriteBytes(root / "entry_editor" / name, bytes);
  }
}

void WriteSettings(const fs::path& root) {
  // First byte: bit 0 set reads the rest as a settings file; second byte:
  // the focus depth that Save all stores.
  WriteText(root / "settings" / "file.bin",
            std::string("\x01\x80", 2) +
                "[Other]\nkey=value\n[UlvoFilter]\nPrevSkip=2\nFullSkip=65537\nPrevWidth=120\n"
                "Ndepth=-4\nMaxDMapSize=4294967295\nPatDir=/patterns\nOldPatName=/patterns/"
                "disc.tif\r\nQuickQuit=0x1\n# comment\n");
  WriteText(root / "settings" / "file-foreign-only.bin",
            std::string("\x01\x10", 2) + "PatDir=outside\n[UlvoFilterX]\nImgDir=x\n");
  // Otherwise entries: name index (bit 7: a string value), then the value.
  Bytes memory = {0x00, 0x20};
  memory.insert(memory.end(), {0x00, 0x05, 0x00, 0x00, 0x00});     // PrevSkip = 5
  memory.insert(memory.end(), {0x8d, 0x03, 0x00, '/', 'p', 'd'});  // PatDir = "/pd"
  memory.insert(memory.end(), {0x04, 0xff, 0xff, 0xff, 0xff});     // Ndepth = -1
  memory.insert(memory.end(), {0x0e, 0x07, 0x00, 0x00, 0x00});     // ImgDir as an integer
  WriteBytes(root / "settings" / "memory.bin", memory);
}

void WriteScripts(const fs::path& root) {
  WriteText(root / "automation_script" / "finish.txt", "wait-editor\ncommand 57665\n");
  WriteText(root / "automation_script" / "everything.txt",
            "# every command once\nwait-editor\nsleep 250\ncommand 0x8004\n"
            "post view 0x405 -1 4294967295\nkey 0x26 ctrl shift alt\nclick -5 12 right\n"
            "answer yes\nclose-box\nexpect-open\nchoose 1001 2\ntype 1002 text # kept\n"
            "check 1003 on\ndrop 1004\nscreenshot shot #1.bmp\nopen-file /tmp/disc.tif\nquit\n");
  WriteText(root / "automation_script" / "malformed.txt",
            "sleep\ncommand 70000\npost nowhere 1\nkey 0\nclick 1\nanswer maybe\ntype x y\n"
            "screenshot # only a comment\nfrobnicate\n\t  \r\n");
}

// Donor notes as the handoff_record target reads them: @DEPTH@, @BYTES@ and
// @TIME@ stand for its own hand-off file's path, length and time.
void WriteHandOffNotes(const fs::path& root) {
  const std::string head = "UlvoFilter depth hand-off 1\nprocess 77\nstarted boot:fuzz\n";
  const std::string file = "bytes @BYTES@\nwritten @TIME@\nfile @DEPTH@\n";
  WriteText(root / "handoff_record" / "own.txt", head + "width 8\nheight 4\n" + file);
  WriteText(root / "handoff_record" / "other-size.txt", head + "width 9\nheight 4\n" + file);
  WriteText(
      root / "handoff_record" / "other-process.txt",
      "UlvoFilter depth hand-off 1\nprocess 78\nstarted boot:fuzz\nwidth 8\nheight 4\n" + file);
  WriteText(root / "handoff_record" / "changed.txt",
            head + "width 8\nheight 4\nbytes 99\nwritten @TIME@\nfile @DEPTH@\n");
  WriteText(root / "handoff_record" / "damaged.txt", head + "width 8\nheig");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
    return 2;
  }
  const fs::path root(argv[1]);
  WritePatternAndImageTiffs(root);
  WriteImages(root);
  WriteSixteenBitImages(root);
  WriteDepthFiles(root);
  WriteFilterRuns(root);
  WriteSettings(root);
  WriteScripts(root);
  WriteHandOffNotes(root);
  return 0;
}
