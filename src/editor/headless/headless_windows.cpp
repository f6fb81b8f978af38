#include "src/editor/headless/headless_windows.h"

#include "src/editor/window_dispatch.h"

namespace ulvo {

HeadlessWindows::HeadlessWindows(UiLog log, ModalDialogs& dialogs, const HeadlessOptions& options)
    : log_(log), dialogs_(dialogs), options_(options) {}

WindowId HeadlessWindows::Add(const WindowEntry& entry) {
  const WindowId id = nextWindow_++;
  windows_[id] = entry;
  return id;
}

WindowId HeadlessWindows::CreateFrameWindow(EditorWindow& frame, int /*menuId*/) {
  if (options_.failFrameCreation) {
    log_("frame window creation failed");
    return 0;
  }
  const WindowId id = Add(WindowEntry{&frame, 0, 0, Rect{}});
  frame.AttachWindow(id);
  frame_ = id;
  return id;
}

WindowId HeadlessWindows::CreateViewWindow(EditorWindow& view, WindowId frame) {
  if (options_.failViewCreation || windows_.count(frame) == 0) {
    log_("view window creation failed");
    return 0;
  }
  const WindowId id = Add(WindowEntry{&view, frame, 0, Rect{}});
  view.AttachWindow(id);
  view_ = id;
  // The view is laid out in the frame at once, as a real frame does.
  Send(id, kMsgSize, 0, PackPoint(options_.viewSize.width, options_.viewSize.height));
  return id;
}

WindowId HeadlessWindows::CreateModelessDialog(EditorWindow& dialog, int resource, WindowId owner) {
  if (windows_.count(owner) == 0) return 0;
  const WindowId id = Add(WindowEntry{&dialog, owner, resource, Rect{}});
  dialog.AttachWindow(id);
  log_("dialog " + std::to_string(resource) + " opened");
  return id;
}

WindowId HeadlessWindows::AddControlWindow(WindowId parent) {
  if (windows_.count(parent) == 0) return 0;
  return Add(WindowEntry{nullptr, parent, 0, Rect{}});
}

void HeadlessWindows::ShowFrameWindow(WindowId frame) {
  if (frame != frame_ || frame_ == 0) return;
  frameShown_ = true;
  log_("editor shown");
}

void HeadlessWindows::DestroyEditorWindow(WindowId window) {
  const auto it = windows_.find(window);
  if (it == windows_.end()) return;
  std::vector<WindowId> children;
  for (const auto& [id, entry] : windows_)
    if (entry.parent == window) children.push_back(id);
  for (const WindowId child : children) DestroyEditorWindow(child);
  EditorWindow* object = windows_[window].object;
  if (windows_[window].dialog != 0)
    log_("dialog " + std::to_string(windows_[window].dialog) + " closed");
  windows_.erase(window);
  disabled_.erase(window);
  for (const auto& forget : forgetters_) forget(window);
  if (window == frame_) {
    frame_ = 0;
    frameShown_ = false;
    log_("editor closed");
  }
  if (window == view_) view_ = 0;
  if (object != nullptr) DeliverWindowDestroyed(dialogs_, *object);
}

WindowId HeadlessWindows::ActiveWindow() {
  return frameShown_ && frame_ != 0 ? frame_ : kHostWindow;
}

void HeadlessWindows::EnableHostWindow(WindowId window, bool enable) {
  if (window != kHostWindow) {
    if (windows_.count(window) == 0) return;
    const bool changed = enable ? disabled_.erase(window) != 0 : disabled_.insert(window).second;
    if (changed) {
      log_(std::string(window == frame_ ? "editor" : "window") +
           (enable ? " enabled" : " disabled"));
    }
    return;
  }
  hostEnabled_ = enable;
  log_(enable ? "host window enabled" : "host window disabled");
}

bool HeadlessWindows::WindowEnabled(WindowId window) {
  if (window == kHostWindow) return hostEnabled_;
  return windows_.count(window) != 0 && disabled_.count(window) == 0;
}

void HeadlessWindows::SetWindowCaption(WindowId window, const std::string& text) {
  const auto it = windows_.find(window);
  if (it == windows_.end()) return;
  log_("caption of dialog " + std::to_string(it->second.dialog) + " \"" + text + "\"");
}

void HeadlessWindows::DisableCloseMenuItem(WindowId frame) {
  if (frame == frame_ && frame_ != 0) closeItemDisabled_ = true;
}

void HeadlessWindows::CheckMenuItem(WindowId frame, int id, bool checked) {
  if (frame != frame_ || frame_ == 0) return;
  log_("menu check " + std::to_string(id) + (checked ? " on" : " off"));
}

void HeadlessWindows::Invalidate(WindowId /*window*/, bool /*erase*/) {}

void HeadlessWindows::SetScrollBars(WindowId window, const ScrollBarState& horizontal,
                                    const ScrollBarState& vertical) {
  if (window != view_ || view_ == 0) return;
  scrollBars_[0] = horizontal;
  scrollBars_[1] = vertical;
}

Rect HeadlessWindows::WindowRect(WindowId window) {
  const auto it = windows_.find(window);
  return it == windows_.end() ? Rect{} : it->second.place;
}

void HeadlessWindows::MoveWindowTo(WindowId window, Rect place, bool /*repaint*/) {
  const auto it = windows_.find(window);
  if (it == windows_.end()) return;
  it->second.place = place;
  log_("window " + std::to_string(it->second.dialog) + " at " + std::to_string(place.left) + "," +
       std::to_string(place.top) + " " + std::to_string(place.width) + "x" +
       std::to_string(place.height));
}

void HeadlessWindows::ActivateWindow(WindowId window) {
  if (window == frame_ && frame_ != 0) log_("editor activated");
}

Point HeadlessWindows::ClientToScreen(WindowId window, Point client) {
  // The view's client area starts at the frame's place.
  const auto it = windows_.find(window);
  const Rect place = it == windows_.end() ? Rect{} : it->second.place;
  return Point{place.left + client.x, place.top + client.y};
}

void HeadlessWindows::ShowPopupMenu(WindowId /*owner*/, int menu, int index, Point screen) {
  log_("menu " + std::to_string(menu) + "/" + std::to_string(index) + " at " +
       std::to_string(screen.x) + "," + std::to_string(screen.y));
}

void HeadlessWindows::ShowCursorResource(int id) {
  log_("cursor " + std::to_string(id));
}

void HeadlessWindows::ShowWaitCursor(bool wait) {
  log_(wait ? "wait cursor" : "arrow cursor");
}

void HeadlessWindows::DrawOnWindow(WindowId /*window*/, const BitmapInfoHeader& /*header*/,
                                   const uint8_t* /*bits*/, Rect dst, Rect /*src*/, RasterOp op) {
  log_(std::string("pattern drawn ") + (op == RasterOp::kAnd ? "and" : "copy") + " at " +
       std::to_string(dst.left) + "," + std::to_string(dst.top) + " " + std::to_string(dst.width) +
       "x" + std::to_string(dst.height));
}

intptr_t HeadlessWindows::Send(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  const auto it = windows_.find(window);
  if (it == windows_.end() || it->second.object == nullptr) return 0;
  const std::optional<intptr_t> result =
      DeliverMessage(dialogs_, *it->second.object, msg, wParam, lParam);
  if (result) return *result;
  return DefaultProcessing(window, msg, wParam, lParam).value_or(0);
}

std::optional<intptr_t> HeadlessWindows::DefaultProcessing(WindowId window, uint32_t msg,
                                                           uintptr_t wParam, intptr_t /*lParam*/) {
  switch (msg) {
    case kMsgSysCommand:
      if ((wParam & 0xFFF0) == kSysCommandClose) return Send(window, kMsgClose, 0, 0);
      return 0;
    case kMsgClose:
      DestroyEditorWindow(window);
      return 0;
    default:
      return 0;
  }
}

void HeadlessWindows::Paint(WindowId window, Canvas& canvas) {
  const auto it = windows_.find(window);
  if (it != windows_.end() && it->second.object != nullptr)
    DeliverPaint(*it->second.object, canvas);
}

int HeadlessWindows::DialogTemplate(WindowId window) const {
  const auto it = windows_.find(window);
  return it == windows_.end() ? 0 : it->second.dialog;
}

WindowId HeadlessWindows::FindDialog(int resource) const {
  WindowId found = 0;
  for (const auto& [id, entry] : windows_) {
    if (entry.object != nullptr && entry.dialog == resource) found = id;
  }
  return found;
}

WindowId HeadlessWindows::BusyDialog() const {
  if (disabled_.empty()) return 0;
  WindowId found = 0;
  for (const auto& [id, entry] : windows_) {
    if (entry.object != nullptr && entry.dialog != 0 && disabled_.count(id) == 0) found = id;
  }
  return found;
}

}  // namespace ulvo
