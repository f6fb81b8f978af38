// The editor's language: the stored choice and the user's interface language.
#include "src/settings/ui_language.h"

#include <gtest/gtest.h>

#include "src/settings/memory_profile_store.h"

namespace ulvo {
namespace {

TEST(UiLanguage, AutomaticFollowsTheUsersInterfaceLanguage) {
  for (const char* japanese : {"ja", "ja-JP", "ja_JP.UTF-8", "JA-jp", "ja@euro", "ja.eucJP"}) {
    EXPECT_EQ(ResolveLanguage(LanguageChoice::kAutomatic, japanese), UiLanguage::kJapanese)
        << japanese;
  }
  // Every other language, and none, is English; "jav" (Javanese) is not Japanese.
  for (const char* other : {"en-US", "de_DE.UTF-8", "C", "POSIX", "", "j", "jav", "zh-TW"}) {
    EXPECT_EQ(ResolveLanguage(LanguageChoice::kAutomatic, other), UiLanguage::kEnglish) << other;
  }
  // A choice of the user's own overrides it.
  EXPECT_EQ(ResolveLanguage(LanguageChoice::kEnglish, "ja-JP"), UiLanguage::kEnglish);
  EXPECT_EQ(ResolveLanguage(LanguageChoice::kJapanese, "en-US"), UiLanguage::kJapanese);
}

TEST(UiLanguage, TheStoredChoiceRoundTripsAndUnknownValuesMeanAutomatic) {
  MemoryProfileStore store;
  EXPECT_EQ(ReadLanguageChoice(store), LanguageChoice::kAutomatic);
  for (const LanguageChoice choice :
       {LanguageChoice::kJapanese, LanguageChoice::kEnglish, LanguageChoice::kAutomatic}) {
    ASSERT_TRUE(WriteLanguageChoice(store, choice));
    EXPECT_EQ(ReadLanguageChoice(store), choice);
  }
  EXPECT_EQ(std::get<std::string>(store.values["Language"]), "auto");
  for (const char* odd : {"EN", "english", "fr", " ja", ""}) {
    store.values["Language"] = std::string(odd);
    EXPECT_EQ(ReadLanguageChoice(store), LanguageChoice::kAutomatic) << odd;
  }
  store.values["Language"] = 1;  // an integer where a string belongs
  EXPECT_EQ(ReadLanguageChoice(store), LanguageChoice::kAutomatic);
}

}  // namespace
}  // namespace ulvo
