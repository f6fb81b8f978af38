#include "src/editor/ulvo_pi_frame.h"

#include "src/resources/editor_ids.h"

namespace ulvo {

CUlvoPiFrame::CUlvoPiFrame(EditorPlatform& platform, EditorApp& app,
                           std::unique_ptr<CUlvoPiDoc> doc, ActiveValues& active)
    : platform_(platform),
      app_(app),
      active_(active),
      doc_(std::move(doc)),
      loop_(
          platform, [&app](const Message& msg) { return app.PreTranslateMessage(msg); },
          kMsgEndEditor) {}

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

void CUlvoPiFrame::Destroy() {
  // Destroying the frame's window takes the view's window with it.
  if (window() != 0) platform_.DestroyEditorWindow(window());
  if (view_ != nullptr && view_->window() != 0) platform_.DestroyEditorWindow(view_->window());
}

void CUlvoPiFrame::OnWindowDestroyed() {
  EditorWindow::OnWindowDestroyed();
  loop_.End(-1);
}

bool CUlvoPiFrame::RouteCommand(uint32_t id) {
  CommandTarget* const targets[] = {view_.get(), doc_.get(), &app_};
  for (CommandTarget* target : targets)
    if (target != nullptr && target->OnCommand(id)) return true;
  return false;
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
