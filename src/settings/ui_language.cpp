#include "src/settings/ui_language.h"

#include <cctype>

namespace ulvo {

LanguageChoice ParseLanguageChoice(std::string_view stored) {
  if (stored == "ja") return LanguageChoice::kJapanese;
  if (stored == "en") return LanguageChoice::kEnglish;
  return LanguageChoice::kAutomatic;
}

const char* LanguageChoiceText(LanguageChoice choice) {
  switch (choice) {
    case LanguageChoice::kJapanese:
      return "ja";
    case LanguageChoice::kEnglish:
      return "en";
    case LanguageChoice::kAutomatic:
      break;
  }
  return "auto";
}

LanguageChoice ReadLanguageChoice(const ProfileStore& store) {
  return ParseLanguageChoice(store.StringOr(kLanguageValue, ""));
}

bool WriteLanguageChoice(ProfileStore& store, LanguageChoice choice) {
  return store.WriteString(kLanguageValue, LanguageChoiceText(choice));
}

UiLanguage ResolveLanguage(LanguageChoice choice, std::string_view userLanguage) {
  switch (choice) {
    case LanguageChoice::kJapanese:
      return UiLanguage::kJapanese;
    case LanguageChoice::kEnglish:
      return UiLanguage::kEnglish;
    case LanguageChoice::kAutomatic:
      break;
  }
  // The primary language is what comes before the first '-', '_', '.' or '@'.
  const bool japanese =
      userLanguage.size() >= 2 &&
      std::tolower(static_cast<unsigned char>(userLanguage[0])) == 'j' &&
      std::tolower(static_cast<unsigned char>(userLanguage[1])) == 'a' &&
      (userLanguage.size() == 2 || userLanguage[2] == '-' || userLanguage[2] == '_' ||
       userLanguage[2] == '.' || userLanguage[2] == '@');
  return japanese ? UiLanguage::kJapanese : UiLanguage::kEnglish;
}

}  // namespace ulvo
