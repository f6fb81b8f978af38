#include "src/editor/pattern_window.h"

#include "src/resources/editor_ids.h"

namespace ulvo {
namespace {

// The hidden buttons of the template: OK and Cancel ask the view to close
// the window, 1022 asks for a full run, 1023 shows the view's menu.
constexpr uint32_t kOk = 1;
constexpr uint32_t kCancel = 2;
constexpr uint32_t kRunButton = 1022;
constexpr uint32_t kMenuButton = 1023;
// The part of the background picture copied to the window.
constexpr Size kBackgroundArea{238, 311};

}  // namespace

PatternWindow::PatternWindow(EditorPlatform& platform, const EditorWindow& owner)
    : platform_(platform), owner_(owner) {}

PatternWindow::~PatternWindow() {
  // The window must not outlive the object its messages go to.
  Close();
}

void PatternWindow::SetPatternImage(const BitmapInfoHeader* header, const uint8_t* bits) {
  header_ = header;
  bits_ = bits;
}

bool PatternWindow::Open(WindowId mainWindow) {
  if (open()) return true;
  mainWindow_ = mainWindow;
  const WindowDescription dialog{WindowKind::kModelessDialog, this, mainWindow, kResource};
  return platform_.windows().CreateEditorWindow(dialog) != 0;
}

void PatternWindow::Toggle(WindowId mainWindow) {
  if (open()) {
    SavePosition();
    Close();
    return;
  }
  const ProfileStore& profile = platform_.resources().Profile();
  const int32_t top = profile.IntOr("SGUItop", kDefaultPlace);
  const int32_t left = profile.IntOr("SGUIleft", kDefaultPlace);
  if (!Open(mainWindow)) return;
  platform_.windows().MoveWindowTo(window(), Rect{left, top, kOpenSize, kOpenSize}, true);
}

void PatternWindow::Close() {
  if (open()) platform_.windows().DestroyEditorWindow(window());
}

void PatternWindow::SavePosition() {
  if (!open()) return;
  const Rect place = platform_.windows().WindowRect(window());
  platform_.resources().Profile().WriteInt("SGUItop", place.top);
  platform_.resources().Profile().WriteInt("SGUIleft", place.left);
}

void PatternWindow::Repaint() {
  if (open()) platform_.windows().Invalidate(window(), true);
}

std::optional<intptr_t> PatternWindow::OnMessage(uint32_t msg, uintptr_t wParam,
                                                 intptr_t /*lParam*/) {
  if (msg == kMsgClose) {
    // The close request becomes the dialog's cancel, as a dialog's does.
    platform_.queue().Post(owner_.window(), kMsgClosePatternWindow, kCancel, 0);
    return 0;
  }
  if (msg != kMsgCommand) return std::nullopt;
  switch (LowWord(wParam)) {
    case kOk:
    case kCancel:
      platform_.queue().Post(owner_.window(), kMsgClosePatternWindow, LowWord(wParam), 0);
      return 0;
    case kRunButton:
      platform_.queue().Post(owner_.window(), kMsgRunFullImage, 1, 0);
      return 0;
    case kMenuButton:
      platform_.windows().ShowPopupMenu(window(), IDR_ULVO_POPUP, 0, Point{-100, -100});
      return 0;
    default:
      // What is picked from that menu goes to the editor's commands.
      if (LowWord(wParam) >= 0x8000 && HighWord(wParam) == 0 && mainWindow_ != 0) {
        platform_.queue().Post(mainWindow_, kMsgCommand, LowWord(wParam), 0);
        return 0;
      }
      return std::nullopt;
  }
}

void PatternWindow::Paint(Canvas& canvas) {
  canvas.DrawBitmapResource(kResource, Point{0, 0}, kBackgroundArea);
  if (header_ == nullptr || bits_ == nullptr) return;
  // The pattern at its own size, centred on the picture's screen.
  const int32_t w = header_->width;
  const int32_t h = header_->height;
  canvas.StretchBitmap(*header_, bits_,
                       Rect{kPatternCentre.x - w / 2, kPatternCentre.y - h / 2, w, h},
                       Rect{0, 0, w, h});
}

}  // namespace ulvo
