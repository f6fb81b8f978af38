#include "src/editor/headless/headless_strings.h"

#include <string_view>

#include "src/resources/resource_texts.h"

namespace ulvo {
namespace {

uint16_t ResourceLanguage(UiLanguage language) {
  return language == UiLanguage::kEnglish ? kResourceEnglish : kResourceJapanese;
}

}  // namespace

std::string HeadlessStringResource(int id, UiLanguage language) {
  const uint16_t wanted = ResourceLanguage(language);
  for (const ResourceString& entry : ResourceStrings()) {
    if (entry.language == wanted && entry.id == id) return entry.text;
  }
  return {};
}

DialogTexts HeadlessDialogTexts(int dialogId, UiLanguage language) {
  const uint16_t wanted = ResourceLanguage(language);
  DialogTexts texts{"dialog " + std::to_string(dialogId), ""};
  for (const ResourceDialog& dialog : ResourceDialogs()) {
    if (dialog.language == wanted && dialog.id == dialogId) texts.title = dialog.caption;
  }
  for (const ResourceControl& control : ResourceControls()) {
    const std::string_view kind = control.kind;
    if (control.language != wanted || control.dialog != dialogId || *control.text == '\0' ||
        (kind != "static" && kind != "control:static")) {
      continue;
    }
    if (!texts.text.empty()) texts.text += ' ';
    texts.text += control.text;
  }
  return texts;
}

}  // namespace ulvo
