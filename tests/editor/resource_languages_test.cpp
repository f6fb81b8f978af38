// The module's resources in both languages: whatever exists in one exists in
// the other, with the same controls and ids in the same order, and every
// English text is English.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "src/resources/editor_ids.h"
#include "src/resources/resource_texts.h"

namespace ulvo {
namespace {

constexpr uint16_t kLanguages[] = {kResourceJapanese, kResourceEnglish};

// Whether a UTF-8 text holds a character of the Japanese scripts (or their
// full-width forms): from U+3000 on.
bool HasJapanese(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead >= 0xE3) return true;  // three-byte sequences from U+3000
  }
  return false;
}

TEST(ResourceLanguages, EveryStringExistsInBothLanguages) {
  std::map<uint16_t, std::map<int, std::string>> strings;
  for (const ResourceString& s : ResourceStrings()) {
    EXPECT_TRUE(strings[s.language].emplace(s.id, s.text).second)
        << "string " << s.id << " twice in language " << s.language;
  }
  ASSERT_GT(strings[kResourceJapanese].size(), 40u);
  for (const auto& [id, text] : strings[kResourceJapanese]) {
    ASSERT_TRUE(strings[kResourceEnglish].count(id)) << "string " << id << " has no English";
    EXPECT_EQ(text.empty(), strings[kResourceEnglish][id].empty()) << id;
  }
  for (const auto& [id, text] : strings[kResourceEnglish]) {
    EXPECT_TRUE(strings[kResourceJapanese].count(id)) << "string " << id << " has no Japanese";
    // Only the language list names Japanese in its own script.
    if (id != IDS_ULVO_LANGUAGE_JAPANESE) {
      EXPECT_FALSE(HasJapanese(text)) << id << ": " << text;
    }
  }
}

TEST(ResourceLanguages, MenusHaveTheSameItemsInTheSameOrder) {
  std::map<uint16_t, std::map<int, std::vector<std::tuple<int, int, int>>>> menus;
  for (const ResourceMenuEntry& e : ResourceMenuEntries()) {
    menus[e.language][e.menu].emplace_back(e.depth, e.kind, e.id);
    if (e.language == kResourceEnglish) {
      EXPECT_FALSE(HasJapanese(e.text)) << e.text;
    }
    EXPECT_EQ(*e.text == '\0', e.kind == ResourceMenuEntry::kSeparator) << e.id;
  }
  EXPECT_EQ(menus[kResourceJapanese].size(), 2u);
  EXPECT_EQ(menus[kResourceJapanese], menus[kResourceEnglish]);
  // The online help has no menu item until the project has a site.
  for (const uint16_t language : kLanguages) {
    for (const auto& [menu, items] : menus[language]) {
      for (const auto& [depth, kind, id] : items) EXPECT_NE(id, ID_ULVO_HELP_WEB);
    }
  }
}

TEST(ResourceLanguages, DialogsHaveTheSameControlsAndIds) {
  std::map<uint16_t, std::set<int>> dialogs;
  for (const ResourceDialog& d : ResourceDialogs()) {
    EXPECT_TRUE(dialogs[d.language].insert(d.id).second) << "dialog " << d.id << " twice";
    EXPECT_NE(*d.caption, '\0') << d.id;
    if (d.language == kResourceEnglish) {
      EXPECT_FALSE(HasJapanese(d.caption)) << d.caption;
    }
  }
  EXPECT_EQ(dialogs[kResourceJapanese], (std::set<int>{106, 133, 135, 142, 150}));
  EXPECT_EQ(dialogs[kResourceJapanese], dialogs[kResourceEnglish]);

  std::map<uint16_t, std::map<int, std::vector<std::pair<std::string, int>>>> controls;
  std::map<uint16_t, std::map<int, std::vector<bool>>> hasText;
  for (const ResourceControl& c : ResourceControls()) {
    controls[c.language][c.dialog].emplace_back(c.kind, c.id);
    hasText[c.language][c.dialog].push_back(*c.text != '\0');
    if (c.language == kResourceEnglish) {
      EXPECT_FALSE(HasJapanese(c.text)) << c.text;
    }
  }
  EXPECT_EQ(controls[kResourceJapanese], controls[kResourceEnglish]);
  EXPECT_EQ(hasText[kResourceJapanese], hasText[kResourceEnglish]);
  // The settings dialog has its language list in both.
  for (const uint16_t language : kLanguages) {
    const auto& settings = controls[language][135];
    EXPECT_NE(std::find(settings.begin(), settings.end(),
                        std::pair<std::string, int>{"combo", IDC_ULVO_LANGUAGE}),
              settings.end());
  }
}

}  // namespace
}  // namespace ulvo
