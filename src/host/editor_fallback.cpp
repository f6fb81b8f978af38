// Stand-ins for the editor while no editor library is built: the editor closes
// at once without accepting, and no dialogs are shown.
#include "src/editor/editor.h"

namespace ulvo {

void RunEditor(FilterJob& job, const DepthBuffer&) {
  job.accepted = 0;
}
void ShowAboutBox() {}
void ShowDepthTransferred() {}
std::string HostExecutablePath() {
  return {};
}

}  // namespace ulvo
