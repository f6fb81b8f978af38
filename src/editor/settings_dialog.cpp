#include "src/editor/settings_dialog.h"

#include <algorithm>
#include <utility>

namespace ulvo {
namespace {

// Control ids of template 135.
constexpr int kPreviewWidth = 1013;
constexpr int kPreviewHeight = 1014;
constexpr int kUsePrevious = 1020;
constexpr int kKeepPattern = 1026;
constexpr int kSave = 1021;
constexpr int kPatternFolder = 1018;
constexpr int kQuickEnd = 1006;
constexpr int kQuickQuit = 1015;
constexpr int kMaxBlur = 1017;
constexpr int kDepthPrecision = 1016;
constexpr int kFocusDepth = 1019;
constexpr int kEnterExec = 1023;
constexpr int kLanguage = 1027;
const std::vector<int> kPreviewGroup = {1007, 1008, 1009, 1004, 1005};
const std::vector<int> kFullGroup = {1010, 1011, 1012, 1002, 1003};

}  // namespace

SettingsDialogValues SettingsDialogOpening(const PluginSettings& s, uint8_t focusDepth,
                                           int32_t blurLimit, LanguageChoice language) {
  SettingsDialogValues v;
  v.previewIndex = s.PrevSkip - 1;
  v.fullIndex = s.FullSkip - 1;
  v.usePrevious = s.UseOldPat;
  v.previewWidth = s.PrevWidth;
  v.previewHeight = s.PrevHeight;
  v.patternFolder = s.PatDir;
  v.keepPattern = s.KeepPattern;
  v.quickQuit = s.QuickQuit;
  v.quickEnd = s.QuickEnd;
  v.depthPrecision = s.Ndepth;
  v.maxBlur = s.MaxDMapSize;
  v.save = 0;
  v.focusDepth = focusDepth;
  v.enterExec = s.EnterExec;
  v.blurLimit = blurLimit;
  v.language = static_cast<int32_t>(language);
  return v;
}

LanguageChoice ChosenLanguage(const SettingsDialogValues& values) {
  switch (values.language) {
    case static_cast<int32_t>(LanguageChoice::kJapanese):
      return LanguageChoice::kJapanese;
    case static_cast<int32_t>(LanguageChoice::kEnglish):
      return LanguageChoice::kEnglish;
    default:
      return LanguageChoice::kAutomatic;
  }
}

void ApplySettingsDialog(const SettingsDialogValues& v, PluginSettings& s, uint8_t& focusDepth) {
  s.PrevWidth = v.previewWidth;
  if (v.previewIndex >= 0) s.PrevSkip = static_cast<int16_t>(v.previewIndex + 1);
  if (v.fullIndex >= 0) s.FullSkip = static_cast<int16_t>(v.fullIndex + 1);
  s.UseOldPat = v.usePrevious;
  s.PrevHeight = v.previewHeight;
  s.PatDir = v.patternFolder;
  s.KeepPattern = v.keepPattern;
  s.QuickEnd = v.quickEnd;
  s.QuickQuit = v.quickQuit;
  s.Ndepth = v.depthPrecision;
  s.MaxDMapSize = v.maxBlur;
  s.EnterExec = v.enterExec;
  focusDepth = static_cast<uint8_t>(v.focusDepth & 0xff);
}

int32_t SettingsBlurLimit(int32_t patternWidth, int32_t patternHeight) {
  if (patternWidth <= 0 || patternHeight <= 0) return kBlurLimitWithoutPattern;
  return std::max(patternWidth, patternHeight) - 1;
}

SettingsDialog::SettingsDialog(SettingsDialogValues values, ValidationTexts texts,
                               std::function<void(const std::string&)> complain,
                               std::vector<std::string> languageNames)
    : values_(std::move(values)),
      texts_(std::move(texts)),
      complain_(std::move(complain)),
      languageNames_(std::move(languageNames)) {}

std::vector<std::vector<int>> SettingsDialog::radioGroups() const {
  return {kPreviewGroup, kFullGroup};
}

void SettingsDialog::Exchange(DataExchange& dx, SettingsDialogValues& v) const {
  dx.Integer(kPreviewWidth, v.previewWidth);
  dx.Integer(kPreviewHeight, v.previewHeight);
  dx.Check(kUsePrevious, v.usePrevious);
  dx.Check(kKeepPattern, v.keepPattern);
  dx.Check(kSave, v.save);
  dx.Radio(kPreviewGroup, v.previewIndex);
  dx.Radio(kFullGroup, v.fullIndex);
  dx.Text(kPatternFolder, v.patternFolder);
  dx.Check(kQuickEnd, v.quickEnd);
  dx.Check(kQuickQuit, v.quickQuit);
  dx.Integer(kMaxBlur, v.maxBlur, 0, v.blurLimit);
  dx.Integer(kDepthPrecision, v.depthPrecision, 1, 128);
  dx.Integer(kFocusDepth, v.focusDepth, 0, 255);
  dx.Check(kEnterExec, v.enterExec);
  dx.List(kLanguage, v.language);
}

void SettingsDialog::OnInit(DialogControls& controls) {
  controls.SetListItems(kLanguage, languageNames_);
  DataExchange dx(controls, false, texts_, complain_);
  SettingsDialogValues shown = values_;
  Exchange(dx, shown);
}

bool SettingsDialog::OnOk(DialogControls& controls) {
  DataExchange dx(controls, true, texts_, complain_);
  // Nothing is taken unless every field passed.
  SettingsDialogValues read = values_;
  Exchange(dx, read);
  if (dx.failed()) return false;
  values_ = read;
  return true;
}

}  // namespace ulvo
