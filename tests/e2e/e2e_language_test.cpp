// The editor in English and in Japanese, in whole runs: English for a user
// whose interface language is not Japanese, or whose settings choose it; a
// choice made in the settings dialog holds from the next run of the same host
// on. The rendered pixels are the same in either language.
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "src/settings/file_profile_store.h"
#include "tests/e2e/editor_render_fixture.h"
#include "tests/support/test_images.h"

namespace ulvo::e2e {
namespace {

constexpr char kEnglishNotice[] =
    "ui: status 1 \"No depth map: the whole image is blurred evenly\"";
constexpr char kJapaneseNotice[] = "ui: status 1 \"距離データなし：画像全体を均一にぼかします\"";
constexpr char kEnglishAbout[] =
    "ui: dialog \"About UlvoFilter\" \"Aperture patterns are read with libtiff. Depth-of-field "
    "rendering: UlvoFilter 2.8 engine.\" -> ok";
constexpr char kEnglishHandOff[] =
    "ui: dialog \"UlvoFilter Depth Map\" \"The depth map has been handed over to UlvoFilter.\"";

// Sets the locale's environment for the host processes the test starts
// (the user's interface language natively and under Wine), and puts the
// test program's own back when it ends.
class UserLocale {
 public:
  explicit UserLocale(const char* locale) {
    for (const char* name : {"LC_ALL", "LANG"}) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name,
                          value != nullptr ? std::optional<std::string>(value) : std::nullopt);
      setenv(name, locale, 1);
    }
  }
  ~UserLocale() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }
  UserLocale(const UserLocale&) = delete;
  UserLocale& operator=(const UserLocale&) = delete;

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

class Languages : public EditorRender {
 protected:
  // The settings outlive a test under Wine: the next test gets the user's
  // language again.
  void TearDown() override {
    if (target().valid()) StoreLanguage("auto");
  }

  // The settings' language choice, as the settings dialog stores it.
  static void StoreLanguage(const std::string& value) {
    if (target().windows()) {
      ASSERT_TRUE(SettingsSandbox::SetRegistryValue("Language", "REG_SZ", value));
      return;
    }
    FileProfileStore store(SettingsSandbox::NativeFile());
    ASSERT_TRUE(store.WriteString("Language", value));
  }
};

// A user whose interface language is not Japanese gets the English editor
// and messages; the render is the tool's, as in Japanese.
TEST_F(Languages, TheUsersInterfaceLanguageChoosesEnglish) {
  const UserLocale english("C");
  const Image colour = MakeImage(130, 100, 3, 40);
  SaveImage(dir_, "in.png", colour);
  SaveImage(dir_, "grey.png", MakeImage(60, 40, 1, 41));
  WriteScript(dir_, "donor.txt", "answer ok\n");
  WriteScript(dir_, "script.txt",
              LoadPattern() + "status\ncommand 57664\nanswer ok\ncommand 32772\n");
  const HostReport report = RunHost(target(), dir_,
                                    {"--image", "in.png", "--out", "out.png", "--script",
                                     "script.txt", "--image", "grey.png", "--script", "donor.txt"});
  ASSERT_EQ(report.Results(), (std::vector<int>{0, 0})) << report.Dump();
  EXPECT_TRUE(report.Contains(kEnglishNotice)) << report.Dump();
  EXPECT_TRUE(report.Contains(kEnglishAbout)) << report.Dump();
  EXPECT_TRUE(report.Contains(kEnglishHandOff)) << report.Dump();
  ExpectSame(LoadImage(dir_, "out.png"), ToolRender(colour, Settings(0)), report);
}

// The settings choose English over a Japanese user's language; the user
// goes back to Japanese in the settings dialog (told in English that it
// holds from the next run), and the next run of the same host is Japanese.
TEST_F(Languages, TheSettingsChooseTheLanguageForTheNextRun) {
  StoreLanguage("en");
  SaveImage(dir_, "in.png", MakeImage(50, 40, 3, 42));
  WriteScript(dir_, "english.txt",
              "wait-editor\nstatus\ncommand 32790\nchoose 1027 1\nanswer ok\nanswer ok\n"
              "command 57665\n");
  WriteScript(dir_, "japanese.txt", "wait-editor\nstatus\ncommand 57665\n");
  const HostReport report = RunHost(target(), dir_,
                                    {"--image", "in.png", "--script", "english.txt", "--image",
                                     "in.png", "--script", "japanese.txt"});
  ASSERT_EQ(report.Results(), (std::vector<int>{0, 0})) << report.Dump();
  const std::string& dump = report.Dump();
  const size_t english = dump.find(kEnglishNotice);
  const size_t told = dump.find("The new language applies the next time the filter window opens.");
  const size_t japanese = dump.find(kJapaneseNotice);
  ASSERT_NE(english, std::string::npos) << dump;
  ASSERT_NE(told, std::string::npos) << dump;
  ASSERT_NE(japanese, std::string::npos) << dump;
  EXPECT_LT(english, told);
  EXPECT_LT(told, japanese);
  EXPECT_TRUE(report.Contains("ui: choose 1027 \"日本語\"")) << dump;
}

}  // namespace
}  // namespace ulvo::e2e
