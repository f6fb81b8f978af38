// The settings record: defaults, what a load takes from a store (and what
// it does with odd values), and Save all's order, count and message.
#include "src/settings/plugin_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "src/settings/memory_profile_store.h"

namespace ulvo {
namespace {

TEST(PluginSettings, DefaultsPointBelowTheHostsPluginFolder) {
  EXPECT_EQ(HostFolder("C:\\Program Files\\Editor\\editor.exe"), "C:\\Program Files\\Editor");
  EXPECT_EQ(HostFolder("/opt/editor/bin/editor"), "/opt/editor/bin");
  EXPECT_EQ(HostFolder("editor.exe"), "");
  const PluginSettings s = DefaultPluginSettings("C:\\Editor");
  EXPECT_EQ(s.PatDir, "C:\\Editor\\Plug-Ins\\Filters\\UlvoFilter\\pattern");
  EXPECT_EQ(DefaultPatternFolder("/opt/editor"), "/opt/editor/Plug-Ins/Filters/UlvoFilter/pattern");
  EXPECT_EQ(s.PrevSkip, 1);
  EXPECT_EQ(s.FullSkip, 1);
  EXPECT_EQ(s.PrevWidth, 100);
  EXPECT_EQ(s.PrevHeight, 100);
  EXPECT_EQ(s.Ndepth, 10);
  EXPECT_EQ(s.MaxDMapSize, 24);
  EXPECT_EQ(s.OnFocusDepth, 0);
  EXPECT_EQ(s.UseOldPat, 1);
  EXPECT_EQ(s.KeepPattern, 1);
  EXPECT_EQ(s.QuickQuit, 1);
  EXPECT_EQ(s.QuickEnd, 1);
  EXPECT_EQ(s.EnterExec, 0);
  EXPECT_TRUE(s.OldPatName.empty());
}

TEST(PluginSettings, LoadTakesWhatIsStoredAndKeepsDefaultsForTheRest) {
  MemoryProfileStore store;
  store.values["PrevSkip"] = 70000;  // low 16 bits: 4464
  store.values["FullSkip"] = -2;
  store.values["Ndepth"] = 500;  // outside the dialog's range, taken as it is
  store.values["QuickQuit"] = 0;
  store.values["OldPatName"] = std::string("C:\\patterns\\hex.tif");
  store.values["MaxDMapSize"] = std::string("40");                   // wrong type: default
  store.values["PatDir"] = std::string(kMaxProfileString + 1, 'x');  // too long: default
  store.values["ImgDir"] = 7;                                        // wrong type: default
  PluginSettings s = DefaultPluginSettings("C:\\Editor");
  LoadPluginSettings(store, s);
  EXPECT_EQ(s.PrevSkip, 4464);
  EXPECT_EQ(s.FullSkip, -2);
  EXPECT_EQ(s.Ndepth, 500);
  EXPECT_EQ(s.QuickQuit, 0);
  EXPECT_EQ(s.OldPatName, "C:\\patterns\\hex.tif");
  EXPECT_EQ(s.MaxDMapSize, 24);
  EXPECT_EQ(s.PatDir, "C:\\Editor\\Plug-Ins\\Filters\\UlvoFilter\\pattern");
  EXPECT_TRUE(s.ImgDir.empty());
  EXPECT_EQ(s.PrevWidth, 100);
  EXPECT_TRUE(store.writes.empty());  // a load writes nothing
}

TEST(PluginSettings, SaveAllWritesFourteenValuesInOrderWithTheWorkingFocus) {
  MemoryProfileStore store;
  PluginSettings s = DefaultPluginSettings("C:\\Editor");
  s.OnFocusDepth = 3;
  s.Ndepth = 20;
  const SaveAllResult result = SaveAllPluginSettings(store, s, 200);
  EXPECT_TRUE(result.ok());
  EXPECT_STREQ(result.message(), "All Parameters Saved");
  const std::vector<std::string> order = {"PrevSkip",     "FullSkip",  "PrevWidth", "PrevHeight",
                                          "SaveMemory",   "UseOldPat", "QuickEnd",  "QuickQuit",
                                          "PatDir",       "ImgDir",    "Ndepth",    "MaxDMapSize",
                                          "OnFocusDepth", "EnterExec"};
  EXPECT_EQ(store.writes, order);
  EXPECT_EQ(std::get<int32_t>(store.values["OnFocusDepth"]), 200);
  EXPECT_EQ(std::get<int32_t>(store.values["Ndepth"]), 20);
  EXPECT_EQ(std::get<std::string>(store.values["PatDir"]), s.PatDir);
  // Values outside Save all stay unwritten.
  EXPECT_EQ(store.values.count("KeepPattern"), 0u);
  EXPECT_EQ(store.values.count("OldPatName"), 0u);
}

TEST(PluginSettings, OneRefusedWriteStillAttemptsTheRest) {
  MemoryProfileStore store;
  store.refused = {"PatDir"};
  const SaveAllResult result = SaveAllPluginSettings(store, PluginSettings{}, 0);
  EXPECT_FALSE(result.ok());
  EXPECT_EQ(result.written, 13);
  EXPECT_STREQ(result.message(), "Error saving parameters");
  EXPECT_EQ(store.writes.size(), 14u);
  EXPECT_EQ(store.values.count("EnterExec"), 1u);
}

}  // namespace
}  // namespace ulvo
