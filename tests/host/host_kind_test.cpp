#include "src/host/host_kind.h"

#include <gtest/gtest.h>

#include "src/host/filter_record.h"

namespace ulvo {
namespace {

TEST(DetectHostKind, RecognisesOnlyTheListedSpellings) {
  for (const char* path : {"C:\\Apps\\photosle.exe", "C:\\Apps\\Photosle.exe", "D:\\PHOTOSLE.EXE",
                           "C:\\x\\photosle.exe.bak"}) {
    EXPECT_EQ(DetectHostKind(path, HostKind::kGeneric), HostKind::kPhotosle) << path;
  }
  for (const char* path : {"C:\\Apps\\psp.exe", "C:\\Apps\\Psp.exe", "C:\\PSP.EXE"}) {
    EXPECT_EQ(DetectHostKind(path, HostKind::kGeneric), HostKind::kPsp) << path;
  }
  for (const char* path : {"C:\\Apps\\PhotoSle.exe", "C:\\Apps\\photosle.EXE", "C:\\Apps\\pSp.exe",
                           "C:\\PSP.exe", "C:\\Apps\\editor.exe", ""}) {
    EXPECT_EQ(DetectHostKind(path, HostKind::kGeneric), HostKind::kGeneric) << path;
  }
}

TEST(DetectHostKind, LaterNameWinsAndUnknownPathKeepsTheKind) {
  EXPECT_EQ(DetectHostKind("C:\\photosle.exe\\psp.exe", HostKind::kGeneric), HostKind::kPsp);
  EXPECT_EQ(DetectHostKind("C:\\other.exe", HostKind::kPhotosle), HostKind::kPhotosle);
  EXPECT_EQ(DetectHostKind("C:\\other.exe", HostKind::kPsp), HostKind::kPsp);
}

TEST(ImageAccepted, ModeMatrix) {
  // Generic: RGB, or any mode with a single plane.
  EXPECT_TRUE(ImageAccepted(HostKind::kGeneric, pi::kModeRGB, 3));
  EXPECT_TRUE(ImageAccepted(HostKind::kGeneric, pi::kModeRGB, 4));
  EXPECT_TRUE(ImageAccepted(HostKind::kGeneric, pi::kModeGray, 1));
  EXPECT_FALSE(ImageAccepted(HostKind::kGeneric, pi::kModeCMYK, 4));
  EXPECT_FALSE(ImageAccepted(HostKind::kGeneric, pi::kModeLab, 3));
  // Photosle: RGB only.
  EXPECT_TRUE(ImageAccepted(HostKind::kPhotosle, pi::kModeRGB, 3));
  EXPECT_FALSE(ImageAccepted(HostKind::kPhotosle, pi::kModeGray, 1));
  // Psp: anything it can address.
  EXPECT_TRUE(ImageAccepted(HostKind::kPsp, pi::kModeCMYK, 4));
  EXPECT_TRUE(ImageAccepted(HostKind::kPsp, pi::kModeLab, 3));
  EXPECT_TRUE(ImageAccepted(HostKind::kPsp, pi::kModeGray, 1));
  // Plane counts whose pixels cannot hold the colour bytes are refused everywhere.
  for (HostKind kind : {HostKind::kGeneric, HostKind::kPhotosle, HostKind::kPsp}) {
    EXPECT_FALSE(ImageAccepted(kind, pi::kModeRGB, 0));
    EXPECT_FALSE(ImageAccepted(kind, pi::kModeRGB, 2));
    EXPECT_FALSE(ImageAccepted(kind, pi::kModeRGB, -1));
  }
}

}  // namespace
}  // namespace ulvo
