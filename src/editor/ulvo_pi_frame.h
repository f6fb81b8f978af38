// The editor's main window. It owns the document and the view for one editor
// run, routes commands (view, document, frame, application) and runs the
// nested modal message loop that keeps the editor up.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "src/editor/active_values.h"
#include "src/editor/editor_app.h"
#include "src/editor/editor_platform.h"
#include "src/editor/editor_window.h"
#include "src/editor/modal_loop.h"
#include "src/editor/ulvo_filter_view.h"
#include "src/editor/ulvo_pi_doc.h"

namespace ulvo {

class CUlvoPiFrame : public EditorWindow {
 public:
  CUlvoPiFrame(EditorPlatform& platform, EditorApp& app, std::unique_ptr<CUlvoPiDoc> doc,
               ActiveValues& active);
  ~CUlvoPiFrame() override;
  CUlvoPiFrame(const CUlvoPiFrame&) = delete;
  CUlvoPiFrame& operator=(const CUlvoPiFrame&) = delete;

  // Creates the frame window with its menu and status bar and the view in
  // it, runs the view's start-up and shows the frame. False when a window
  // cannot be created; nothing is left behind then.
  bool Create();

  // Pumps the thread's messages until the end message has been dispatched
  // (to whatever window) or the quit message arrives; the quit message is
  // posted again for the host's loop and the result is -1.
  int RunModalLoop() { return loop_.Run(); }
  void EndModalLoop(int result) { loop_.End(result); }
  bool inModalState() const { return loop_.running(); }

  // Destroys the frame window and the view window with it.
  void Destroy();

  // Routes a command: view, document, frame, application. True when handled.
  bool RouteCommand(uint32_t id);

  std::optional<intptr_t> OnMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
  void OnWindowDestroyed() override;

  CUlvoFilterView* GetActiveView() const { return view_.get(); }
  CUlvoPiDoc& document() const { return *doc_; }

 private:
  EditorPlatform& platform_;
  EditorApp& app_;
  ActiveValues& active_;
  std::unique_ptr<CUlvoPiDoc> doc_;
  std::unique_ptr<CUlvoFilterView> view_;
  ModalLoop loop_;
};

}  // namespace ulvo
