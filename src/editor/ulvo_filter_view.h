// The editor's view: shows the job's image and owns what the commands work
// on, above all the display bitmap that renders write into and that
// finishing hands back to the host.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "src/editor/active_values.h"
#include "src/editor/command_target.h"
#include "src/editor/display_image.h"
#include "src/editor/editor_platform.h"
#include "src/editor/editor_window.h"
#include "src/editor/pattern_window.h"
#include "src/editor/progress_dialog.h"
#include "src/editor/view_model.h"
#include "src/editor/view_pattern.h"
#include "src/job/filter_job.h"
#include "src/render/job_render.h"
#include "src/settings/plugin_settings.h"

namespace ulvo {

class CUlvoPiFrame;

class CUlvoFilterView : public EditorWindow, public CommandTarget {
 public:
  CUlvoFilterView(EditorPlatform& platform, ActiveValues& active);

  // Start-up while the frame is being created. The job is not known yet and
  // must not be used here.
  void OnInitialUpdate(WindowId frameWindow);

  void SetFrame(CUlvoPiFrame* frame) { frame_ = frame; }
  void SetJob(FilterJob* job, const DepthBuffer* depth) {
    job_ = job;
    depth_ = depth;
  }
  // Builds the display bitmap from the job's input and repaints; false when
  // the job has an image but there is no memory for its display bitmap.
  bool TakeOverJob();
  // Copies the source colours into the display again and repaints.
  void RestoreDisplay();

  // Commands routed from the frame; true when handled.
  bool OnCommand(uint32_t id) override;

  std::optional<intptr_t> OnMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
  void Paint(Canvas& canvas) override;

  // Keep the result: output written, accepted, editor ends.
  void Finish();
  // Leave without the result, after confirmation unless quick quit is on.
  void Cancel();

  const DisplayImage& display() const { return display_; }
  DisplayImage& display() { return display_; }
  int32_t zoomPercent() const { return model_.zoom(); }
  // The viewport origin of the last paint, in image pixels.
  Point scrollOrigin() const { return model_.paintOrigin(); }
  const ViewModel& model() const { return model_; }
  PatternWindow& patternWindow() { return patternWindow_; }
  const ViewPattern& pattern() const { return pattern_; }
  // Loads an aperture pattern file without asking: the stored path is
  // written, the maximum blur follows the pattern's size, the pattern window
  // and the status bar show it. False (after a message) when it cannot be
  // used; the previous pattern stays.
  bool LoadPatternFile(const std::string& path);
  // The load command: the stored pattern the first time when it is kept,
  // otherwise the open-file dialog.
  void LoadPattern();
  // A preview rectangle around a client point; a full render.
  void Preview(Point client);
  void RunFull();
  bool rendering() const { return rendering_; }
  bool focusPick() const { return focusPick_; }
  const PluginSettings& settings() const { return settings_; }
  PluginSettings& settings() { return settings_; }

 private:
  void OnKeyDown(uint32_t vk);
  void OnLeftButtonUp(uintptr_t keys, Point client);
  void OnRightButtonDown(uintptr_t keys, Point client);
  // Sets the focus depth from the pixel under a client point.
  void PickFocus(Point client);
  // Draws the pattern straight onto the view, centred at a client point:
  // ANDed with Shift, copied with Ctrl; the next paint removes it.
  void StampPattern(Point client, uintptr_t keys);
  // The local help page in the editor's language.
  void OpenHelp();
  // A pixel (column, bottom-up row) of the job's image; needs a job.
  bool InsideImage(Point pixel) const;
  // The job's picture, the loaded pattern and the current values as a
  // render takes them.
  RenderSource JobSource() const;
  RenderPattern LoadedPattern() const;
  RenderValues CurrentValues(int maxBlur, int16_t skip) const;
  // Renders a region into the display; the progress window shows for
  // regions above 120 × 120 pixels.
  RenderOutcome RenderIntoDisplay(const RenderValues& values, const DisplayRegion& region);
  // The message boxes of missing inputs.
  void Tell(const std::string& text);
  // Focus-pick mode on or off; it only goes on when a depth is known.
  void ToggleFocusPick();
  // The settings dialog; its values take effect at once when confirmed.
  void OpenSettings();
  // The caption of the view's message boxes.
  std::string MessageCaption() const;
  // The frame's window, which owns the pattern window (0 before it is known).
  WindowId MainWindow() const;
  void OnTimer(uintptr_t id);
  void OnScroll(ScrollAxis axis, uintptr_t wParam, intptr_t lParam);
  void OnWheel(bool horizontal, uintptr_t wParam, intptr_t lParam);
  // Shows the model's scroll bars; repaints (with erase) when `repaint`.
  void Refresh(bool repaint);
  void PostEndMessage();

  EditorPlatform& platform_;
  ActiveValues& active_;
  CUlvoPiFrame* frame_ = nullptr;
  FilterJob* job_ = nullptr;
  const DepthBuffer* depth_ = nullptr;
  DisplayImage display_;
  std::vector<uint8_t> overlay_;  // what is drawn while the job has a selection
  ViewModel model_;
  PatternWindow patternWindow_{platform_, *this};
  ViewPattern pattern_;
  bool ctrlHeld_ = false;
  bool focusPick_ = false;   // the next click in the image picks the focus depth
  bool firstLoad_ = true;    // the stored pattern may still be taken without asking
  bool rendering_ = false;   // a render is under way (its progress pumps messages)
  PluginSettings settings_;  // defaults until the start-up loads them
  ProgressDialog progress_;
};

}  // namespace ulvo
