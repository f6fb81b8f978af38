// The decisions behind the frame's tone controls: the hardness and
// brightness lists, which stored selection a run starts with, the focus
// field's reading and clamping, and the pattern name in the status bar.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ulvo {

inline constexpr int kHardnessCount = 20;
inline constexpr int kBrightnessCount = 9;
inline constexpr int kDefaultHardnessIndex = 5;    // 1.0
inline constexpr int kDefaultBrightnessIndex = 2;  // 1.0

// The entries: single-precision floats nearest to 0.5 .. 2.0, 3, 4, 5, 6 and
// to 0.3, 0.5, 1 .. 4.
float HardnessValue(int index);
float BrightnessValue(int index);
// The texts of the lists ("%3.1f").
std::vector<std::string> HardnessTexts();
std::vector<std::string> BrightnessTexts();

// The selection a run starts with: the stored index on a repeated run when
// it is one of the list's, otherwise the default.
int StartIndex(bool repeatedRun, std::optional<int32_t> stored, int count, int fallback);

// What typing into the focus field leads to: the field's text read like
// "%d" (a failed read keeps the previous value), held to 0..255.
struct FocusFieldUpdate {
  int32_t value = 0;
  bool rewrite = false;  // the value was held: show it in the field
};
FocusFieldUpdate ReadFocusField(const std::string& text, int32_t previous);

// "%d" of a focus depth, for the field.
std::string FocusText(int32_t value);

// The last folder and the file name of a pattern path ("disc\f2.tif" of
// "C:\patterns\disc\f2.tif"); a path with a single separator stays whole.
std::string ShortPatternName(const std::string& path);

}  // namespace ulvo
