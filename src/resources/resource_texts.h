// The texts of the module's resources (string tables, menus, dialog
// templates) in every language they come in, as tables built from the
// resource scripts (resource_texts.py). The platform without windows takes
// its texts from here, and tests compare the languages with each other.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace ulvo {

// Languages as the resource compiler tags them.
inline constexpr uint16_t kResourceJapanese = 0x0411;
inline constexpr uint16_t kResourceEnglish = 0x0409;

struct ResourceString {
  uint16_t language;
  int id;
  const char* text;  // UTF-8
};

struct ResourceMenuEntry {
  enum Kind { kPopup, kSeparator, kItem };
  uint16_t language;
  int menu;
  int depth;  // 0 for the menu's own entries, 1 inside a popup, ...
  Kind kind;
  int id;  // the command of an item, else 0
  const char* text;
};

struct ResourceDialog {
  uint16_t language;
  int id;
  const char* caption;
  const char* font;
  int fontPoints;
  std::array<int, 4> rect;  // x, y, width, height in dialog units
};

struct ResourceControl {
  uint16_t language;
  int dialog;
  // "button", "radio", "check", "group", "static", "edit", "combo", or
  // "control:CLASS" for a control given by its window class.
  const char* kind;
  int id;  // -1 for texts and frames that nothing addresses
  const char* text;
  std::array<int, 4> rect;
};

std::span<const ResourceString> ResourceStrings();
std::span<const ResourceMenuEntry> ResourceMenuEntries();
std::span<const ResourceDialog> ResourceDialogs();
// In template order within each dialog and language.
std::span<const ResourceControl> ResourceControls();

}  // namespace ulvo
