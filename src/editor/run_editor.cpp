#include "src/editor/run_editor.h"

#include <memory>
#include <new>

#include "src/editor/active_values.h"
#include "src/editor/editor.h"
#include "src/editor/editor_app.h"
#include "src/editor/host_window_guard.h"
#include "src/editor/ulvo_pi_doc.h"
#include "src/editor/ulvo_pi_frame.h"
#include "src/resources/editor_ids.h"

namespace ulvo {

namespace {

EditorResult RunEditorWindows(EditorPlatform& platform, FilterJob& job, const DepthBuffer& depth,
                              DepthNotice notice) {
  EditorApp app(platform.dialogs());
  auto doc = std::make_unique<CUlvoPiDoc>(platform.queue());
  const HostWindowGuard hostDisabled(platform.windows());

  // The frame reads these while it is being created; it holds no job.
  ActiveValues active;
  active.ActiveRepeat = job.repeat;
  active.ActivePlanes = job.planes;
  active.DepthAvailable = JobHasDepth(job, depth);
  active.depthNotice = notice;

  CUlvoPiFrame frame(platform, app, std::move(doc), active);
  if (!frame.Create())
    return EditorResult::kClosed;  // counts as cancelled; the guard enables the host
  frame.document().RecordActiveWindow(platform.windows().ActiveWindow());
  CUlvoFilterView& view = *frame.GetActiveView();
  view.SetFrame(&frame);
  app.SetRunningFrame(&frame);
  app.SetMainWindow(frame.document().activeWindow());

  view.SetJob(&job, &depth);
  // An editor without its picture of the image has nothing to show or to
  // give back: the host hears that memory ran out.
  const bool shown = view.TakeOverJob();
  if (shown) frame.RunModalLoop();
  frame.Destroy();
  app.SetRunningFrame(nullptr);
  app.SetMainWindow(0);
  if (shown) return EditorResult::kClosed;
  job.accepted = 0;
  return EditorResult::kOutOfMemory;
}

}  // namespace

EditorResult RunEditorOn(EditorPlatform& platform, FilterJob& job, const DepthBuffer& depth,
                         DepthNotice notice) {
  try {
    return RunEditorWindows(platform, job, depth, notice);
  } catch (const std::bad_alloc&) {
    // Thrown while the windows were made or taken down (every message in
    // between is handled where it arrives); they are gone by now.
    job.accepted = 0;
    return EditorResult::kOutOfMemory;
  }
}

EditorResult RunEditor(FilterJob& job, const DepthBuffer& depth, DepthNotice notice) {
  std::unique_ptr<EditorPlatform> platform = CreateEditorPlatform();
  if (platform == nullptr) return EditorResult::kClosed;
  UseChosenLanguage(platform->resources());
  return RunEditorOn(*platform, job, depth, notice);
}

}  // namespace ulvo

namespace ulvo {

namespace {

// The build's platform for one dialog of the entry point, in the user's language.
std::unique_ptr<EditorPlatform> PlatformForMessage() {
  std::unique_ptr<EditorPlatform> platform = CreateEditorPlatform();
  if (platform != nullptr) UseChosenLanguage(platform->resources());
  return platform;
}

}  // namespace

void ShowAboutBox() {
  std::unique_ptr<EditorPlatform> platform = PlatformForMessage();
  if (platform != nullptr) platform->dialogs().ShowDialog(0, IDD_ULVO_ABOUT);
}

void ShowDepthTransferred(const std::string& elsewhere) {
  std::unique_ptr<EditorPlatform> platform = PlatformForMessage();
  if (platform == nullptr) return;
  if (elsewhere.empty()) {
    platform->dialogs().ShowDialog(0, IDD_ULVO_DEPTH_TRANSFERRED);
    return;
  }
  EditorResources& texts = platform->resources();
  platform->dialogs().ShowMessageBox(
      0, FillTextMarks(texts.StringResource(IDS_ULVO_DEPTH_ELSEWHERE), {elsewhere}),
      texts.StringResource(IDS_ULVO_DEPTH_CAPTION), MessageBoxButtons::kOk,
      MessageBoxIcon::kInformation);
}

void ShowDepthNotSaved() {
  std::unique_ptr<EditorPlatform> platform = PlatformForMessage();
  if (platform == nullptr) return;
  EditorResources& texts = platform->resources();
  platform->dialogs().ShowMessageBox(0, texts.StringResource(IDS_ULVO_DEPTH_NOT_SAVED),
                                     texts.StringResource(IDS_ULVO_DEPTH_CAPTION),
                                     MessageBoxButtons::kOk, MessageBoxIcon::kWarning);
}

}  // namespace ulvo
