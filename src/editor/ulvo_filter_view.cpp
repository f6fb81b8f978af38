#include "src/editor/ulvo_filter_view.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "src/editor/editor.h"
#include "src/editor/selection_overlay.h"
#include "src/editor/settings_dialog.h"
#include "src/editor/tone_controls.h"
#include "src/editor/ulvo_pi_frame.h"
#include "src/resources/editor_ids.h"

namespace ulvo {
CUlvoFilterView::CUlvoFilterView(EditorPlatform& platform, ActiveValues& active)
    : platform_(platform),
      active_(active),
      settings_(DefaultPluginSettings(HostFolder(platform.resources().HostExecutablePath()))),
      progress_(
          platform, [this] { return MainWindow(); }, MessageCaption()) {}

void CUlvoFilterView::OnInitialUpdate(WindowId frameWindow) {
  // The window can be left only by finishing or cancelling.
  platform_.windows().DisableCloseMenuItem(frameWindow);
  LoadPluginSettings(platform_.resources().Profile(), settings_);
  active_.ActiveFocusDepth = static_cast<uint8_t>(settings_.OnFocusDepth & 0xff);
  // The stored pattern comes back without asking, once per opening.
  if (settings_.UseOldPat != 0 && !settings_.OldPatName.empty()) LoadPattern();
  // The pattern window opens a moment after the editor when it is kept open.
  if (settings_.KeepPattern != 0) platform_.queue().SetTimer(window(), kTimerPatternWindow, 1000);
  // A host that repeats the filter gets a full run without asking.
  platform_.queue().SetTimer(window(), kTimerRepeatRun, 1200);
}

std::string CUlvoFilterView::MessageCaption() const {
  return FileBaseName(ModuleFilePath());
}

WindowId CUlvoFilterView::MainWindow() const {
  return frame_ != nullptr ? frame_->window() : 0;
}

void CUlvoFilterView::OnTimer(uintptr_t id) {
  if (id == kTimerPatternWindow) {
    platform_.queue().KillTimer(window(), id);
    patternWindow_.Toggle(MainWindow());
    // The keyboard stays with the editor.
    if (MainWindow() != 0) platform_.windows().ActivateWindow(MainWindow());
  } else if (id == kTimerRepeatRun) {
    platform_.queue().KillTimer(window(), id);
    if (job_ != nullptr && job_->repeat == 1) RunFull();
  }
}

bool CUlvoFilterView::TakeOverJob() {
  if (job_ == nullptr) return true;
  // Without the memory for its picture the editor cannot show the image.
  if (!display_.TakeIn(*job_) && JobHasImage(*job_)) return false;
  // A selection gets a picture of its own to draw; without the memory for
  // it the view shows the image without the whitening.
  overlay_.clear();
  if (JobHasMask(*job_) && !display_.empty()) {
    try {
      overlay_.assign(display_.byteSize(), 0);
    } catch (const std::bad_alloc&) {
      overlay_.clear();
    }
  }
  settings_.SaveMemory = 0;
  model_.SetImageSize({display_.width(), display_.height()});
  Refresh(true);
  return true;
}

void CUlvoFilterView::Refresh(bool repaint) {
  platform_.windows().SetScrollBars(window(), model_.bar(ScrollAxis::kHorizontal),
                                    model_.bar(ScrollAxis::kVertical));
  if (repaint) platform_.windows().Invalidate(window(), true);
}

void CUlvoFilterView::RestoreDisplay() {
  if (job_ == nullptr || display_.empty()) return;
  display_.Restore(*job_);
  platform_.windows().Invalidate(window(), true);
}

void CUlvoFilterView::OpenSettings() {
  const std::string caption = MessageCaption();
  // A field the box refuses, or a failed save, is a warning.
  const auto tell = [&](const std::string& message) {
    platform_.dialogs().ShowMessageBox(0, message, caption, MessageBoxButtons::kOk,
                                       MessageBoxIcon::kWarning);
  };
  // The maximum blur is bounded by the pattern's size; without a pattern by
  // the widest blur the engine takes.
  EditorResources& resources = platform_.resources();
  const LanguageChoice storedLanguage = ReadLanguageChoice(resources.Profile());
  SettingsDialog dialog(
      SettingsDialogOpening(settings_, active_.ActiveFocusDepth,
                            SettingsBlurLimit(pattern_.width(), pattern_.height()), storedLanguage),
      ValidationTexts{resources.StringResource(IDS_ULVO_PARSE_INT),
                      resources.StringResource(IDS_ULVO_PARSE_INT_RANGE)},
      tell,
      {resources.StringResource(IDS_ULVO_LANGUAGE_AUTOMATIC),
       resources.StringResource(IDS_ULVO_LANGUAGE_JAPANESE),
       resources.StringResource(IDS_ULVO_LANGUAGE_ENGLISH)});
  if (platform_.dialogs().RunDialog(window(), dialog) != DialogResult::kOk) return;
  // The language is stored as soon as the user changes it (a stored value
  // the editor does not know stays until then); the windows already open
  // keep theirs.
  const LanguageChoice language = ChosenLanguage(dialog.values());
  if (language != storedLanguage) {
    WriteLanguageChoice(resources.Profile(), language);
    if (ResolveLanguage(language, resources.UserInterfaceLanguage()) != resources.language()) {
      platform_.dialogs().ShowMessageBox(0, resources.StringResource(IDS_ULVO_LANGUAGE_CHANGED),
                                         caption, MessageBoxButtons::kOk,
                                         MessageBoxIcon::kInformation);
    }
  }
  ApplySettingsDialog(dialog.values(), settings_, active_.ActiveFocusDepth);
  if (frame_ != nullptr) frame_->RefreshFocusField();
  if (dialog.values().save != 0) {
    const SaveAllResult saved =
        SaveAllPluginSettings(platform_.resources().Profile(), settings_, active_.ActiveFocusDepth);
    platform_.dialogs().ShowMessageBox(
        0, saved.message(), caption, MessageBoxButtons::kOk,
        saved.ok() ? MessageBoxIcon::kInformation : MessageBoxIcon::kWarning);
  }
  // Written whether or not the settings are kept for the next start.
  platform_.resources().Profile().WriteInt("KeepPattern", settings_.KeepPattern);
  // The pattern window follows the box: opened where its template puts it,
  // or closed without saving its place.
  if (settings_.KeepPattern != 0 && !patternWindow_.open()) {
    patternWindow_.Open(MainWindow());
  } else if (settings_.KeepPattern == 0 && patternWindow_.open()) {
    patternWindow_.Close();
  }
}

void CUlvoFilterView::PostEndMessage() {
  platform_.queue().Post(window(), kMsgEndEditor, ID_ULVO_FINISH, 0);
}

void CUlvoFilterView::OnScroll(ScrollAxis axis, uintptr_t wParam, intptr_t lParam) {
  const auto request = static_cast<ScrollRequest>(LowWord(wParam));
  if (model_.Scroll(axis, request, static_cast<int32_t>(lParam))) Refresh(true);
}

// The wheel scrolls a line a notch (sideways with Shift); with Ctrl it zooms
// a step a notch about the point under the pointer.
void CUlvoFilterView::OnWheel(bool horizontal, uintptr_t wParam, intptr_t lParam) {
  const int32_t turn = static_cast<int16_t>(HighWord(wParam));
  const uintptr_t keys = LowWord(wParam);
  if ((keys & kMkControl) != 0 && !horizontal) {
    const Point pointer = PointOf(lParam);
    bool changed = false;
    for (int32_t notch = 0; notch < std::abs(turn / kWheelNotch); ++notch)
      changed |= turn > 0 ? model_.ZoomIn(pointer) : model_.ZoomOut(pointer);
    Refresh(changed);
    return;
  }
  // Turning away from the user (positive) moves the picture down, as
  // scrolling up does; sideways turns to the right move it left.
  const int32_t pixels = turn * ViewModel::kLine / kWheelNotch;
  const bool sideways = horizontal || (keys & kMkShift) != 0;
  const bool moved =
      sideways ? model_.ScrollBy(horizontal ? pixels : -pixels, 0) : model_.ScrollBy(0, -pixels);
  if (moved) Refresh(true);
}

std::optional<intptr_t> CUlvoFilterView::OnMessage(uint32_t msg, uintptr_t wParam,
                                                   intptr_t lParam) {
  switch (msg) {
    case kMsgTimer:
      OnTimer(wParam);
      return 0;
    case kMsgMenuSelect:
      // The right-click menu's items prompt in the frame's status bar.
      if (frame_ != nullptr) frame_->OnMenuSelect(wParam, lParam);
      return 0;
    case kMsgLButtonUp:
      OnLeftButtonUp(wParam, PointOf(lParam));
      return std::nullopt;  // default processing follows
    case kMsgRButtonDown:
      OnRightButtonDown(wParam, PointOf(lParam));
      return std::nullopt;
    case kMsgRunFullImage:
      RunFull();
      return 0;
    case kMsgClosePatternWindow:
      patternWindow_.Close();  // whatever button asked, and without saving its place
      return 0;
    case kMsgSize:
      model_.SetClientSize({static_cast<int32_t>(LowWord(static_cast<uintptr_t>(lParam))),
                            static_cast<int32_t>(HighWord(static_cast<uintptr_t>(lParam)))});
      Refresh(false);
      return std::nullopt;
    case kMsgHScroll:
      OnScroll(ScrollAxis::kHorizontal, wParam, lParam);
      return 0;
    case kMsgVScroll:
      OnScroll(ScrollAxis::kVertical, wParam, lParam);
      return 0;
    case kMsgMouseWheel:
      OnWheel(false, wParam, lParam);
      return 0;
    case kMsgMouseHWheel:
      OnWheel(true, wParam, lParam);
      return 0;
    case kMsgKeyDown:
      OnKeyDown(static_cast<uint32_t>(wParam));
      return std::nullopt;  // default processing follows
    case kMsgKeyUp:
      if (wParam == kVkControl) ctrlHeld_ = false;
      return std::nullopt;
    case kMsgSetCursor:
      if (!focusPick_) return std::nullopt;  // the arrow
      platform_.windows().ShowCursorResource(IDC_ULVO_FOCUS_CURSOR);
      return 1;
    default:
      return std::nullopt;
  }
}

void CUlvoFilterView::Paint(Canvas& canvas) {
  canvas.SetViewportOrigin(model_.viewportOrigin());
  if (job_ != nullptr && job_->inData != nullptr && !display_.empty()) {
    const Size scaled = model_.content();
    canvas.SetHalftone();
    // The selection is recomputed from the display on every paint.
    const uint8_t* picture = display_.pixels();
    if (!overlay_.empty()) {
      ComposeSelectionOverlay(display_, *job_, overlay_.data());
      picture = overlay_.data();
    }
    canvas.StretchBitmap(display_.header(), picture, Rect{0, 0, scaled.width, scaled.height},
                         Rect{0, 0, display_.width(), display_.height()});
  }
  // Recorded on every paint: clicks map through the origin of the last paint.
  model_.RecordPaintOrigin(canvas.ViewportOrigin());
}

}  // namespace ulvo
