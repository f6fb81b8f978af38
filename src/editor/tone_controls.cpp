#include "src/editor/tone_controls.h"

#include <cstdio>

namespace ulvo {
namespace {

constexpr double kHardness[kHardnessCount] = {0.5, 0.6, 0.7, 0.8, 0.9, 1.0, 1.1, 1.2, 1.3, 1.4,
                                              1.5, 1.6, 1.7, 1.8, 1.9, 2.0, 3.0, 4.0, 5.0, 6.0};
constexpr double kBrightness[kBrightnessCount] = {0.3, 0.5, 1.0, 1.5, 2.0, 2.5, 3.0, 3.5, 4.0};

std::string Formatted(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%3.1f", static_cast<double>(value));
  return text;
}

}  // namespace

float HardnessValue(int index) {
  if (index < 0 || index >= kHardnessCount) index = kDefaultHardnessIndex;
  return static_cast<float>(kHardness[index]);
}

float BrightnessValue(int index) {
  if (index < 0 || index >= kBrightnessCount) index = kDefaultBrightnessIndex;
  return static_cast<float>(kBrightness[index]);
}

std::vector<std::string> HardnessTexts() {
  std::vector<std::string> texts;
  for (int i = 0; i < kHardnessCount; ++i) texts.push_back(Formatted(HardnessValue(i)));
  return texts;
}

std::vector<std::string> BrightnessTexts() {
  std::vector<std::string> texts;
  for (int i = 0; i < kBrightnessCount; ++i) texts.push_back(Formatted(BrightnessValue(i)));
  return texts;
}

int StartIndex(bool repeatedRun, std::optional<int32_t> stored, int count, int fallback) {
  if (!repeatedRun || !stored || *stored < 0 || *stored >= count) return fallback;
  return *stored;
}

FocusFieldUpdate ReadFocusField(const std::string& text, int32_t previous) {
  FocusFieldUpdate update;
  int read = 0;
  // The field holds three characters; anything beyond is not read.
  const std::string field = text.substr(0, 3);
  update.value = std::sscanf(field.c_str(), "%d", &read) == 1 ? read : previous;
  if (update.value < 0 || update.value > 255) {
    update.value = update.value < 0 ? 0 : 255;
    update.rewrite = true;
  }
  return update;
}

std::string FocusText(int32_t value) {
  return std::to_string(value);
}

std::string ShortPatternName(const std::string& path) {
  // Backslashes on Windows; the native build's paths use slashes.
  const size_t last = path.find_last_of("\\/");
  if (last == std::string::npos || last == 0) return path;
  const size_t before = path.find_last_of("\\/", last - 1);
  return before == std::string::npos ? path : path.substr(before + 1);
}

}  // namespace ulvo
