#include "src/editor/ulvo_filter_view.h"

#include "src/resources/editor_ids.h"

namespace ulvo {

CUlvoFilterView::CUlvoFilterView(EditorPlatform& platform, ActiveValues& active)
    : platform_(platform),
      active_(active),
      settings_(DefaultPluginSettings(HostFolder(platform.HostExecutablePath()))) {}

void CUlvoFilterView::OnInitialUpdate(WindowId frameWindow) {
  // The window can be left only by finishing or cancelling.
  platform_.DisableCloseMenuItem(frameWindow);
  LoadPluginSettings(platform_.Profile(), settings_);
  active_.ActiveFocusDepth = static_cast<uint8_t>(settings_.OnFocusDepth & 0xff);
}

void CUlvoFilterView::TakeOverJob() {
  if (job_ == nullptr) return;
  display_.TakeIn(*job_);
  settings_.SaveMemory = 0;
  platform_.Invalidate(window(), true);
}

void CUlvoFilterView::RestoreDisplay() {
  if (job_ == nullptr || display_.empty()) return;
  display_.Restore(*job_);
  platform_.Invalidate(window(), true);
}

bool CUlvoFilterView::OnCommand(uint32_t id) {
  switch (id) {
    case ID_ULVO_FINISH:
      Finish();
      return true;
    case ID_ULVO_CANCEL:
    case ID_ULVO_CANCEL_TOOLBAR:
      Cancel();
      return true;
    default:
      return false;
  }
}

void CUlvoFilterView::Finish() {
  if (job_ != nullptr) {
    if (display_.empty()) {
      // No display bitmap (it could not be allocated): nothing was rendered,
      // so the result is the untouched source.
      CopySourceToOutput(*job_);
    } else {
      display_.CopyToOutput(*job_);
    }
    job_->accepted = 1;
  }
  PostEndMessage();
}

void CUlvoFilterView::Cancel() {
  if (settings_.QuickQuit == 0) {
    const DialogButton answer =
        platform_.ShowMessageBox(window(), platform_.StringResource(IDS_ULVO_CONFIRM_DISCARD),
                                 "Quitting", MessageBoxButtons::kOkCancel);
    if (answer != DialogButton::kOk) return;
  }
  if (job_ != nullptr) job_->accepted = 0;
  PostEndMessage();
}

void CUlvoFilterView::PostEndMessage() {
  platform_.Post(window(), kMsgEndEditor, ID_ULVO_FINISH, 0);
}

void CUlvoFilterView::OnKeyDown(uint32_t vk) {
  if (vk == kVkControl) {
    ctrlHeld_ = true;
  } else if (vk == kVkEscape) {
    Cancel();
  }
  if (ctrlHeld_ && (vk == kVkEnd || vk == kVkE)) Finish();
}

std::optional<intptr_t> CUlvoFilterView::OnMessage(uint32_t msg, uintptr_t wParam,
                                                   intptr_t /*lParam*/) {
  switch (msg) {
    case kMsgKeyDown:
      OnKeyDown(static_cast<uint32_t>(wParam));
      return std::nullopt;  // default processing follows
    case kMsgKeyUp:
      if (wParam == kVkControl) ctrlHeld_ = false;
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

void CUlvoFilterView::Paint(Canvas& canvas) {
  const int32_t zoom = zoomPercent_ > 0 ? zoomPercent_ : 100;
  if (job_ != nullptr && job_->inData != nullptr && !display_.empty()) {
    const int32_t width = display_.width();
    const int32_t height = display_.height();
    const int32_t scaledWidth = static_cast<int32_t>(static_cast<int64_t>(width) * zoom / 100);
    const int32_t scaledHeight = static_cast<int32_t>(static_cast<int64_t>(height) * zoom / 100);
    canvas.SetHalftone();
    canvas.StretchBitmap(display_.header(), display_.pixels(),
                         Rect{0, 0, scaledWidth, scaledHeight}, Rect{0, 0, width, height});
  }
  // Recorded on every paint: clicks map through the origin of the last paint.
  const Point origin = canvas.ViewportOrigin();
  scrollOrigin_ = Point{origin.x * 100 / zoom, origin.y * 100 / zoom};
}

}  // namespace ulvo
