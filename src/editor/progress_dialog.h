// The progress window of long renders: a modeless dialog (template 106)
// with a bar, a percentage and a Cancel button, shown from the engine's
// first report to its last. While it is up the editor's window is disabled,
// and every report hands out the thread's waiting messages so that the
// editor repaints and Cancel and Esc reach the dialog.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "src/editor/editor_platform.h"
#include "src/editor/editor_window.h"
#include "src/engine/progress_reporter.h"

namespace ulvo {

class ProgressDialog : public EditorWindow, public ProgressReporter {
 public:
  static constexpr int kResource = 106;
  static constexpr int kBar = 1003;
  static constexpr int kLabel = 1004;

  // `owner` tells the window that owns the dialog when it opens (the
  // editor's frame, 0 for none); `caption` is that of the question.
  ProgressDialog(EditorPlatform& platform, std::function<WindowId()> owner, std::string caption);
  ~ProgressDialog() override;
  ProgressDialog(const ProgressDialog&) = delete;
  ProgressDialog& operator=(const ProgressDialog&) = delete;

  bool Report(int percent) override;
  bool ConfirmCancel() override;

  std::optional<intptr_t> OnMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;

  bool shown() const { return window() != 0; }

 private:
  bool Update(int percent);
  bool AskToCancel();
  void Open();
  void Close();
  void SetPosition(int position);
  // Hands out the waiting messages, the dialog's keys to the dialog first.
  void DispatchWaiting();

  EditorPlatform& platform_;
  std::function<WindowId()> owner_;
  std::string caption_;
  WindowId disabledOwner_ = 0;  // re-enabled when the dialog closes
  int low_ = 0;
  int high_ = 100;
  bool cancelPressed_ = false;
  bool quitting_ = false;  // the thread's quit message came during the render
};

// The percentage label of a bar position: "37%"; above 100 it wraps.
std::string ProgressLabel(int position, int low, int high);

}  // namespace ulvo
