#include "src/editor/editor_resources.h"

namespace ulvo {

void UseChosenLanguage(EditorResources& resources) {
  resources.SetLanguage(
      ResolveLanguage(ReadLanguageChoice(resources.Profile()), resources.UserInterfaceLanguage()));
}

}  // namespace ulvo
