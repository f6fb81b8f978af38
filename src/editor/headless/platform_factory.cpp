#include <iostream>
#include <memory>

#include "src/editor/editor_platform.h"
#include "src/editor/headless/headless_platform.h"

namespace ulvo {

std::unique_ptr<EditorPlatform> CreateEditorPlatform() {
  return HeadlessPlatform::FromEnvironment(std::cout);
}

}  // namespace ulvo
