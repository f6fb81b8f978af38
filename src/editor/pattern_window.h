// The aperture pattern window: a small floating window beside the editor
// that shows the current aperture pattern on a fixed background picture
// (dialog 150, bitmap 150). The view owns the object for its whole life; the
// window exists only while it is open. Its place on the screen is kept in
// the settings.
#pragma once

#include <cstdint>
#include <optional>

#include "src/editor/bitmap_header.h"
#include "src/editor/editor_platform.h"
#include "src/editor/editor_window.h"

namespace ulvo {

class PatternWindow : public EditorWindow {
 public:
  static constexpr int kResource = 150;      // dialog template and background bitmap
  static constexpr int kDefaultPlace = 200;  // left and top without a saved place
  static constexpr int kOpenSize = 200;      // width and height when opened by the toggle
  static constexpr Point kPatternCentre{95, 85};

  // Its requests are posted to the owner's window (the view's).
  PatternWindow(EditorPlatform& platform, const EditorWindow& owner);
  ~PatternWindow() override;
  PatternWindow(const PatternWindow&) = delete;
  PatternWindow& operator=(const PatternWindow&) = delete;

  // The view's loaded pattern image, borrowed; the window never frees it.
  void SetPatternImage(const BitmapInfoHeader* header, const uint8_t* bits);

  bool open() const { return window() != 0; }
  // Opens the window (owned by `mainWindow`) at its saved place, 200 × 200
  // pixels, or saves its place and closes it.
  void Toggle(WindowId mainWindow);
  // Opens it where its template puts it, without moving it; false when it
  // cannot be made.
  bool Open(WindowId mainWindow);
  // Closes it without saving its place.
  void Close();
  // Writes its place ("SGUIleft", "SGUItop") while it is open.
  void SavePosition();
  void Repaint();

  std::optional<intptr_t> OnMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
  void Paint(Canvas& canvas) override;

 private:
  EditorPlatform& platform_;
  const EditorWindow& owner_;
  WindowId mainWindow_ = 0;  // owns the window while it is open
  const BitmapInfoHeader* header_ = nullptr;
  const uint8_t* bits_ = nullptr;
};

}  // namespace ulvo
