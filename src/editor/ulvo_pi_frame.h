// The editor's main window. It owns the document and the view for one editor
// run, routes commands (view, document, frame, application) and runs the
// nested modal message loop that keeps the editor up.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "src/editor/active_values.h"
#include "src/editor/editor_app.h"
#include "src/editor/editor_platform.h"
#include "src/editor/editor_window.h"
#include "src/editor/modal_loop.h"
#include "src/editor/ulvo_filter_view.h"
#include "src/editor/ulvo_pi_doc.h"

namespace ulvo {

class CUlvoPiFrame : public EditorWindow, public CommandTarget {
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
  // The frame's own commands: the toolbar and status bar switches.
  bool OnCommand(uint32_t id) override;

  // Shows the focus depth in the toolbar's field, when there is depth.
  void RefreshFocusField();
  // Shows a pattern's short name in the status bar.
  void ShowPatternName(const std::string& shortName);
  // A menu item is pointed at (the menu bar's or the right-click menu's):
  // its prompt shows in the status bar until the menu closes.
  void OnMenuSelect(uintptr_t wParam, intptr_t lParam);

  int hardnessIndex() const { return hardnessIndex_; }
  int brightnessIndex() const { return brightnessIndex_; }
  WindowId toolbar() const { return toolbar_; }
  WindowId statusBar() const { return statusBar_; }
  // The View menu's items of the two bars carry a check while their bar shows.
  void ShowBarChecks();

  std::optional<intptr_t> OnMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
  void OnWindowDestroyed() override;

  CUlvoFilterView* GetActiveView() const { return view_.get(); }
  CUlvoPiDoc& document() const { return *doc_; }

 private:
  // The toolbar with the tone controls and the status bar; a control that
  // cannot be made leaves the frame without it and those after it.
  void CreateBars();
  void OnFocusFieldUpdated();

  EditorPlatform& platform_;
  EditorApp& app_;
  ActiveValues& active_;
  std::unique_ptr<CUlvoPiDoc> doc_;
  std::unique_ptr<CUlvoFilterView> view_;
  ModalLoop loop_;
  int32_t focusValue_ = 0;  // last value taken from the focus field
  int hardnessIndex_ = 0;
  int brightnessIndex_ = 0;
  WindowId toolbar_ = 0;
  WindowId hardnessList_ = 0;
  WindowId brightnessList_ = 0;
  WindowId focusField_ = 0;
  WindowId statusBar_ = 0;
};

}  // namespace ulvo
