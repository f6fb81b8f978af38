#include "src/editor/window_system.h"

namespace ulvo {

WindowId WindowSystem::CreateEditorWindow(const WindowDescription& description) {
  if (description.object == nullptr) return 0;
  EditorWindow& object = *description.object;
  switch (description.kind) {
    case WindowKind::kFrame:
      return CreateFrameWindow(object, description.resource);
    case WindowKind::kView:
      return CreateViewWindow(object, description.parent);
    case WindowKind::kModelessDialog:
      return CreateModelessDialog(object, description.resource, description.parent);
  }
  return 0;
}

}  // namespace ulvo
