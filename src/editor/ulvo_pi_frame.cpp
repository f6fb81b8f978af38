#include "src/editor/ulvo_pi_frame.h"

#include "src/resources/editor_ids.h"

namespace ulvo {

CUlvoPiFrame::CUlvoPiFrame(EditorPlatform& platform, EditorApp& app,
                           std::unique_ptr<CUlvoPiDoc> doc, ActiveValues& active)
    : platform_(platform), app_(app), active_(active), doc_(std::move(doc)) {}

CUlvoPiFrame::~CUlvoPiFrame() {
  Destroy();
}

bool CUlvoPiFrame::Create() {
  view_ = std::make_unique<CUlvoFilterView>(platform_, active_);
  doc_->SetView(view_.get());
  if (platform_.CreateFrameWindow(*this, IDR_ULVO_MAINFRAME) == 0 ||
      platform_.CreateViewWindow(*view_, window()) == 0) {
    Destroy();
    return false;
  }
  view_->OnInitialUpdate(window());
  platform_.ShowFrameWindow(window());
  return true;
}

int CUlvoPiFrame::RunModalLoop() {
  inModalState_ = true;
  modalResult_ = -1;
  Message msg;
  int quitCode = 0;
  while (inModalState_) {
    if (!platform_.NextMessage(msg, quitCode)) {
      // Leave the quit request for the loop that owns the thread.
      platform_.PostQuit(quitCode);
      modalResult_ = -1;
      break;
    }
    if (!app_.PreTranslateMessage(msg)) platform_.Dispatch(msg);
    if (msg.id == kMsgEndEditor) break;
  }
  inModalState_ = false;
  return modalResult_;
}

void CUlvoPiFrame::EndModalLoop(int result) {
  modalResult_ = result;
  inModalState_ = false;
}

void CUlvoPiFrame::Destroy() {
  // Destroying the frame's window takes the view's window with it.
  if (window() != 0) platform_.DestroyEditorWindow(window());
  if (view_ != nullptr && view_->window() != 0) platform_.DestroyEditorWindow(view_->window());
}

void CUlvoPiFrame::OnWindowDestroyed() {
  EditorWindow::OnWindowDestroyed();
  inModalState_ = false;
}

bool CUlvoPiFrame::RouteCommand(uint32_t id) {
  if (view_ != nullptr && view_->OnCommand(id)) return true;
  if (doc_->OnCommand(id)) return true;
  return app_.OnCommand(id, window());
}

std::optional<intptr_t> CUlvoPiFrame::OnMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  switch (msg) {
    case kMsgNull:
      return 0;
    case kMsgCommand:
      // Menu items, accelerators and toolbar buttons are routed; other
      // notifications of child controls are the frame's own.
      if ((HighWord(wParam) == 0 || (HighWord(wParam) == 1 && lParam == 0)) &&
          RouteCommand(LowWord(wParam)))
        return 0;
      return std::nullopt;
    case kMsgClose:
      // Close box, Alt+F4, system menu: the document refuses, the editor stays.
      if (doc_->CanCloseFrame()) Destroy();
      return 0;
    default:
      return std::nullopt;
  }
}

}  // namespace ulvo
