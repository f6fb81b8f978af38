#include <gtest/gtest.h>

#include "tools/ulvohost/host_options.h"

namespace ulvo::host {
namespace {

ParseStatus Parse(const std::vector<std::string>& args, HostOptions& options, std::string& error) {
  return ParseHostOptions(args, options, error);
}

TEST(HostOptions, DefaultsBeforeTheFirstRunApplyToEveryRunAndLaterOptionsToOne) {
  HostOptions o;
  std::string error;
  ASSERT_EQ(Parse({"--module", "m.so", "--script", "s.txt", "--row-align", "8", "--image", "a.png",
                   "--no-parameters", "--mask", "m.png", "--image", "b.tif", "--mode", "0x4",
                   "--rect", "1,2,30,-4", "--about"},
                  o, error),
            ParseStatus::kOk)
      << error;
  EXPECT_EQ(o.module, "m.so");
  ASSERT_EQ(o.runs.size(), 3u);
  EXPECT_EQ(o.runs[0].image, "a.png");
  EXPECT_FALSE(o.runs[0].parameters);
  EXPECT_EQ(o.runs[0].mask, "m.png");
  EXPECT_EQ(o.runs[0].script, "s.txt");
  EXPECT_EQ(o.runs[0].rowAlign, 8);
  EXPECT_FALSE(o.runs[0].mode.has_value());

  EXPECT_TRUE(o.runs[1].parameters) << "a run option must not leak into the next run";
  EXPECT_TRUE(o.runs[1].mask.empty());
  EXPECT_EQ(o.runs[1].script, "s.txt");
  ASSERT_TRUE(o.runs[1].mode.has_value());
  EXPECT_EQ(*o.runs[1].mode, 4);
  ASSERT_TRUE(o.runs[1].rect.has_value());
  EXPECT_EQ(o.runs[1].rect->top, 1);
  EXPECT_EQ(o.runs[1].rect->left, 2);
  EXPECT_EQ(o.runs[1].rect->bottom, 30);
  EXPECT_EQ(o.runs[1].rect->right, -4);

  EXPECT_TRUE(o.runs[2].about);
  EXPECT_EQ(o.runs[2].script, "s.txt");
}

TEST(HostOptions, RawCallsTakeSignedSelectorLists) {
  HostOptions o;
  std::string error;
  ASSERT_EQ(Parse({"--module", "m", "--image", "a", "--raw-selectors", "4,-1,0x7fff,-32768",
                   "--null-record", "--preset-result", "-5"},
                  o, error),
            ParseStatus::kOk)
      << error;
  EXPECT_EQ(o.runs[0].rawSelectors, (std::vector<int16_t>{4, -1, 32767, -32768}));
  EXPECT_TRUE(o.runs[0].nullRecord);
  EXPECT_EQ(o.runs[0].presetResult, -5);
}

TEST(HostOptions, RejectsWhatCannotBeRun) {
  const std::vector<std::vector<std::string>> bad = {
      {"--image", "a.png"},                                        // no module
      {"--module", "m"},                                           // nothing to do
      {"--module", "m", "--image"},                                // missing value
      {"--module", "m", "--image", "a", "--bogus"},                // unknown option
      {"--module", "m", "--image", "a", "--rect", "1,2,3"},        // three edges
      {"--module", "m", "--image", "a", "--rect", "0,0,9,99999"},  // beyond 16 bits
      {"--module", "m", "--image", "a", "--row-align", "0"},
      {"--module", "m", "--image", "a", "--raw-selectors", "4,,5"},
      {"--module", "m", "--image", "a", "--raw-selectors", "40000"},
      {"--module", "m", "--image", "a", "--mode", "3x"},
      {"--module", "m", "--as", "dir/photosle.exe", "--image", "a"},
      {"--module", "m", "--as", "", "--image", "a"},
  };
  for (const auto& args : bad) {
    HostOptions o;
    std::string error;
    EXPECT_EQ(Parse(args, o, error), ParseStatus::kError) << args.back();
    EXPECT_FALSE(error.empty());
  }
  HostOptions o;
  std::string error;
  EXPECT_EQ(Parse({"--module", "m", "--help"}, o, error), ParseStatus::kHelp);
}

TEST(HostOptions, ReexecutionDropsOnlyTheNameOption) {
  EXPECT_EQ(ArgsWithoutRunAs({"--module", "m", "--as", "PSP.EXE", "--image", "a"}),
            (std::vector<std::string>{"--module", "m", "--image", "a"}));
}

}  // namespace
}  // namespace ulvo::host
