// The settings file: values survive a new store on the same file, odd
// contents read as missing, other sections survive writes, and a write that
// cannot be stored says so and changes nothing.
#include "src/settings/file_profile_store.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

namespace ulvo {
namespace {

void WriteAll(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(FileProfileStore, ValuesSurviveANewStoreOnTheSameFile) {
  TempDir dir;
  const std::string path = dir.file("UlvoSoft/ulvofilter.ini");  // folder made on the first write
  {
    FileProfileStore store(path);
    EXPECT_FALSE(store.ReadInt("Ndepth").has_value());
    EXPECT_TRUE(store.WriteInt("Ndepth", 20));
    EXPECT_TRUE(store.WriteInt("Negative", -5));
    EXPECT_TRUE(store.WriteString("PatDir", "C:\\My Patterns\\a=b; #c"));
    EXPECT_TRUE(store.WriteString("Empty", ""));
  }
  FileProfileStore again(path);
  EXPECT_EQ(again.ReadInt("Ndepth"), 20);
  EXPECT_EQ(again.ReadInt("Negative"), -5);
  EXPECT_EQ(again.ReadString("PatDir"), "C:\\My Patterns\\a=b; #c");
  EXPECT_EQ(again.ReadString("Empty"), "");
  EXPECT_EQ(again.ReadString("Ndepth"), "20");  // a number is also its text
}

TEST(FileProfileStore, OddContentsReadAsMissing) {
  TempDir dir;
  const std::string path = dir.file("odd.ini");
  WriteAll(path,
           "[UlvoFilter]\r\n"
           "Text=abc\r\n"
           "Trailing=12x\r\n"
           "Huge=99999999999\r\n"
           "Word=4294967295\r\n"
           "Long=" +
               std::string(kMaxProfileString + 1, 'y') +
               "\n"
               "no equals sign\n"
               "=nameless\n"
               "[Other]\n"
               "Ndepth=7\n");
  const FileProfileStore store(path);
  EXPECT_FALSE(store.ReadInt("Text").has_value());
  EXPECT_FALSE(store.ReadInt("Trailing").has_value());
  EXPECT_FALSE(store.ReadInt("Huge").has_value());
  EXPECT_EQ(store.ReadInt("Word"), -1);  // a DWORD of all ones
  EXPECT_FALSE(store.ReadString("Long").has_value());
  EXPECT_FALSE(store.ReadInt("Ndepth").has_value());  // another section's
  EXPECT_EQ(store.IntOr("Text", 42), 42);
}

TEST(FileProfileStore, AValueReadsTheSameBeforeAndAfterAWriteOfAnother) {
  TempDir dir;
  const std::string path = dir.file("crs.ini");
  // A line that ends in two carriage returns before its line feed.
  WriteAll(path, "[UlvoFilter]\nOldPatName=/patterns/disc.tif\r\r\nMid=a\rb\n");
  FileProfileStore store(path);
  EXPECT_EQ(store.ReadString("OldPatName"), "/patterns/disc.tif");
  ASSERT_TRUE(store.WriteInt("Ndepth", 3));
  const FileProfileStore again(path);
  EXPECT_EQ(again.ReadString("OldPatName"), "/patterns/disc.tif");
  EXPECT_EQ(again.ReadString("Mid"), "a\rb");
}

TEST(FileProfileStore, WritesKeepOtherSectionsAndRefuseWhatCannotBeStored) {
  TempDir dir;
  const std::string path = dir.file("mixed.ini");
  WriteAll(path, "[Other]\nkeep=me\n[UlvoFilter]\nNdepth=7\n");
  FileProfileStore store(path);
  EXPECT_TRUE(store.WriteInt("FullSkip", 2));
  const std::string text = ReadFileText(path);
  EXPECT_NE(text.find("[Other]\nkeep=me\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Ndepth=7\n"), std::string::npos) << text;
  EXPECT_NE(text.find("FullSkip=2\n"), std::string::npos) << text;

  EXPECT_FALSE(store.WriteString("OldPatName", "two\nlines"));
  EXPECT_FALSE(store.WriteInt("a=b", 1));
  EXPECT_FALSE(store.WriteInt("", 1));
  EXPECT_FALSE(store.ReadString("OldPatName").has_value());
  EXPECT_EQ(ReadFileText(path), text);
}

TEST(FileProfileStore, AFileThatCannotBeWrittenLeavesTheValueAsItWas) {
  TempDir dir;
  WriteAll(dir.file("blocker"), "a file where a folder should be");
  FileProfileStore store(dir.file("blocker/settings.ini"));
  EXPECT_FALSE(store.WriteInt("Ndepth", 3));
  EXPECT_FALSE(store.ReadInt("Ndepth").has_value());
}

}  // namespace
}  // namespace ulvo
