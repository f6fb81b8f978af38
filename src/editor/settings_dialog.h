// The settings dialog (template 135): every setting the user edits, plus the
// current focus depth. It is filled from the view's settings when it opens
// and, once OK has validated every field, hands its values back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "src/editor/dialog.h"
#include "src/settings/plugin_settings.h"
#include "src/settings/ui_language.h"

namespace ulvo {

// The dialog's members, in its exchange's terms.
struct SettingsDialogValues {
  int32_t blurLimit = 0;  // largest maximum blur accepted
  int32_t previewWidth = 0;
  int32_t previewHeight = 0;
  int32_t usePrevious = 0;
  int32_t keepPattern = 0;
  int32_t save = 0;  // use the settings from the next start on
  int32_t previewIndex = -1;
  int32_t fullIndex = -1;
  std::string patternFolder;
  int32_t quickEnd = 0;
  int32_t quickQuit = 0;
  int32_t maxBlur = 0;
  int32_t depthPrecision = 0;
  int32_t focusDepth = 0;
  int32_t enterExec = 0;
  int32_t language = 0;  // the chosen entry of the language list: LanguageChoice's order
};

// What the dialog opens with; the save box always starts unticked.
SettingsDialogValues SettingsDialogOpening(const PluginSettings& settings, uint8_t focusDepth,
                                           int32_t blurLimit,
                                           LanguageChoice language = LanguageChoice::kAutomatic);
// The language the list holds chosen (automatic when none is).
LanguageChoice ChosenLanguage(const SettingsDialogValues& values);
// Takes confirmed values back: into the settings and the working focus
// depth (its low 8 bits). A precision group with no button checked keeps
// its skip factor.
void ApplySettingsDialog(const SettingsDialogValues& values, PluginSettings& settings,
                         uint8_t& focusDepth);

// The maximum-blur limit: the larger pattern side minus 1, or, with no
// pattern loaded, the widest blur the engine is given at all.
inline constexpr int32_t kBlurLimitWithoutPattern = 4096;
int32_t SettingsBlurLimit(int32_t patternWidth, int32_t patternHeight);

class SettingsDialog : public DialogHandler {
 public:
  static constexpr int kResource = 135;

  // `languageNames`: the entries of the language list, in LanguageChoice's
  // order (automatic, Japanese, English).
  SettingsDialog(SettingsDialogValues values, ValidationTexts texts,
                 std::function<void(const std::string&)> complain,
                 std::vector<std::string> languageNames = {});

  int resource() const override { return kResource; }
  std::vector<std::vector<int>> radioGroups() const override;
  void OnInit(DialogControls& controls) override;
  bool OnOk(DialogControls& controls) override;

  const SettingsDialogValues& values() const { return values_; }

 private:
  // The exchange in the dialog's order, which is also the order of validation.
  void Exchange(DataExchange& exchange, SettingsDialogValues& values) const;

  SettingsDialogValues values_;
  ValidationTexts texts_;
  std::function<void(const std::string&)> complain_;
  std::vector<std::string> languageNames_;
};

}  // namespace ulvo
