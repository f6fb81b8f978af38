#include "src/editor/progress_dialog.h"

#include "src/editor/modal_loop.h"
#include "src/resources/editor_ids.h"

namespace ulvo {

namespace {
constexpr uintptr_t kIdOk = 1;
constexpr uintptr_t kIdCancel = 2;
}  // namespace

std::string ProgressLabel(int position, int low, int high) {
  if (high <= low) return "0%";
  int percent = (position - low) * 100 / (high - low);
  if (percent != 100) percent %= 100;
  return std::to_string(percent) + "%";
}

ProgressDialog::ProgressDialog(EditorPlatform& platform, std::function<WindowId()> owner,
                               std::string caption)
    : platform_(platform), owner_(std::move(owner)), caption_(std::move(caption)) {}

ProgressDialog::~ProgressDialog() {
  try {
    Close();
  } catch (...) {
    // Out of memory while closing: the platform takes the window down with
    // the editor.
  }
}

// The engine calls these from its render loop, which must never see an
// exception: a report that fails lets the render go on.
bool ProgressDialog::Report(int percent) {
  try {
    return Update(percent);
  } catch (...) {
    return true;
  }
}

bool ProgressDialog::ConfirmCancel() {
  try {
    return AskToCancel();
  } catch (...) {
    return false;
  }
}

bool ProgressDialog::Update(int percent) {
  if (percent < 0) return true;
  if (percent == 0) {
    Open();
    return true;
  }
  if (percent >= 100) {
    Close();
    return true;
  }
  if (!shown()) return true;
  DispatchWaiting();
  SetPosition(percent);
  DispatchWaiting();
  const bool pressed = cancelPressed_;
  cancelPressed_ = false;
  return !pressed && !quitting_;
}

bool ProgressDialog::AskToCancel() {
  // The host is shutting the thread down: nobody is left to answer.
  if (quitting_) return true;
  const DialogButton answer = platform_.dialogs().ShowMessageBox(
      window(), platform_.resources().StringResource(IDS_ULVO_CONFIRM_ABORT), caption_,
      MessageBoxButtons::kYesNo, MessageBoxIcon::kNone);
  return answer == DialogButton::kYes;
}

void ProgressDialog::Open() {
  if (shown()) return;
  cancelPressed_ = false;
  quitting_ = false;
  const WindowId owner = owner_ ? owner_() : 0;
  // The editor takes no input while it renders.
  if (owner != 0 && platform_.windows().WindowEnabled(owner)) {
    platform_.windows().EnableHostWindow(owner, false);
    disabledOwner_ = owner;
  }
  const WindowId dialog = platform_.windows().CreateEditorWindow(
      WindowDescription{WindowKind::kModelessDialog, this, owner, kResource});
  if (dialog == 0) {
    if (disabledOwner_ != 0) platform_.windows().EnableHostWindow(disabledOwner_, true);
    disabledOwner_ = 0;
    return;
  }
  low_ = 0;
  high_ = 100;
  platform_.controls().SetDialogProgress(dialog, kBar, ProgressBarState{low_, high_, 10, low_});
  platform_.windows().SetWindowCaption(
      dialog, platform_.resources().StringResource(IDS_ULVO_PROGRESS_CAPTION));
}

void ProgressDialog::Close() {
  if (disabledOwner_ != 0) platform_.windows().EnableHostWindow(disabledOwner_, true);
  disabledOwner_ = 0;
  if (shown()) platform_.windows().DestroyEditorWindow(window());
}

void ProgressDialog::SetPosition(int position) {
  if (!shown()) return;
  platform_.controls().SetDialogProgress(window(), kBar,
                                         ProgressBarState{low_, high_, 10, position});
  const std::string label = ProgressLabel(position, low_, high_);
  if (platform_.controls().DialogItemText(window(), kLabel) != label) {
    platform_.controls().SetDialogItemText(window(), kLabel, label);
  }
}

void ProgressDialog::DispatchWaiting() {
  const WindowId dialog = window();
  const bool goOn = PumpWaitingMessages(platform_.queue(), [&](const Message& msg) {
    return dialog != 0 && platform_.queue().DialogMessage(dialog, msg);
  });
  if (!goOn) quitting_ = true;
}

std::optional<intptr_t> ProgressDialog::OnMessage(uint32_t msg, uintptr_t wParam,
                                                  intptr_t /*lParam*/) {
  if (msg != kMsgCommand) return std::nullopt;
  switch (LowWord(wParam)) {
    case kIdOk:
      return 0;  // Enter does nothing
    case kIdCancel:
      cancelPressed_ = true;  // the dialog stays until the render ends
      return 0;
    default:
      return std::nullopt;
  }
}

}  // namespace ulvo
