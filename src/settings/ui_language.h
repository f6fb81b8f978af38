// Which language the editor speaks: Japanese or English, after the user's
// interface language unless the stored "Language" value says otherwise.
#pragma once

#include <string>
#include <string_view>

#include "src/settings/profile_store.h"

namespace ulvo {

enum class UiLanguage { kJapanese, kEnglish };

// What the user chose in the settings dialog. Stored as "Language" = "ja",
// "en" or "auto"; anything else, or nothing, reads as automatic.
enum class LanguageChoice { kAutomatic, kJapanese, kEnglish };

inline constexpr char kLanguageValue[] = "Language";

LanguageChoice ParseLanguageChoice(std::string_view stored);
const char* LanguageChoiceText(LanguageChoice choice);  // "auto", "ja" or "en"

LanguageChoice ReadLanguageChoice(const ProfileStore& store);
bool WriteLanguageChoice(ProfileStore& store, LanguageChoice choice);

// The language of a choice: automatic follows the user's interface language,
// given as a language tag or locale name ("ja-JP", "ja_JP.UTF-8", "en-US"):
// Japanese for Japanese, English for every other or an unknown one.
UiLanguage ResolveLanguage(LanguageChoice choice, std::string_view userLanguage);

}  // namespace ulvo
