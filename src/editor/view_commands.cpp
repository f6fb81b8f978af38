// What the user does in the editor: the commands of the menus, the toolbar
// and the keyboard, the clicks in the view, rendering and the two ways out.
#include <algorithm>
#include <cstring>

#include "src/editor/editor.h"
#include "src/editor/tone_controls.h"
#include "src/editor/ulvo_filter_view.h"
#include "src/editor/ulvo_pi_frame.h"
#include "src/editor/window_dispatch.h"
#include "src/engine/progress_ticker.h"
#include "src/render/render_regions.h"
#include "src/resources/editor_ids.h"

namespace ulvo {
namespace {

// What the pattern loader has to say, in a message box.
class BoxMessages : public UserMessages {
 public:
  BoxMessages(ModalDialogs& dialogs, std::string caption)
      : dialogs_(dialogs), caption_(std::move(caption)) {}
  void ShowMessage(const std::string& text) override {
    dialogs_.ShowMessageBox(0, text, caption_, MessageBoxButtons::kOk, MessageBoxIcon::kWarning);
  }

 private:
  ModalDialogs& dialogs_;
  std::string caption_;
};

}  // namespace

bool CUlvoFilterView::OnCommand(uint32_t id) {
  // A render pumps messages; nothing else may start until it is over.
  if (rendering_) return true;
  switch (id) {
    case ID_ULVO_LOAD_PATTERN:
    case ID_ULVO_TB_LOAD_PATTERN:
    case ID_ULVO_POPUP_LOAD_PATTERN:
      LoadPattern();
      return true;
    case ID_ULVO_SHOW_PATTERN:
    case ID_ULVO_POPUP_SHOW_PATTERN:
      StampPattern(Point{0, 0}, kMkShift);
      return true;
    case ID_ULVO_RUN_FILTER:
    case ID_ULVO_TB_RUN:
    case ID_ULVO_POPUP_RUN:
      RunFull();
      return true;
    case ID_ULVO_FINISH:
      Finish();
      return true;
    case ID_ULVO_CANCEL:
    case ID_ULVO_CANCEL_TOOLBAR:
      Cancel();
      return true;
    case ID_ULVO_CLEAR_PREVIEW:
    case ID_ULVO_TB_RESTORE:
    case ID_ULVO_POPUP_RESTORE:
    case ID_ULVO_RELOAD_IMAGE:
      RestoreDisplay();
      return true;
    case ID_ULVO_PREFERENCES:
    case ID_ULVO_TB_SETTINGS:
    case ID_ULVO_POPUP_SETTINGS:
      OpenSettings();
      return true;
    case ID_ULVO_TB_FOCUS_PICK:
      ToggleFocusPick();
      return true;
    case ID_ULVO_TB_PATTERN_WINDOW:
      patternWindow_.Toggle(MainWindow());
      return true;
    // The online help command, no longer in the menu, opens the local page
    // too until the project has a site.
    case ID_ULVO_HELP_HTML:
    case ID_ULVO_POPUP_HELP:
    case ID_ULVO_HELP_WEB:
      OpenHelp();
      return true;
    // Zoom from the menus and the toolbar keeps the middle of the view.
    case ID_ULVO_ZOOM_IN:
    case ID_ULVO_TB_ZOOM_IN:
    case ID_ULVO_POPUP_ZOOM_IN:
      Refresh(model_.ZoomIn(model_.centre()));
      return true;
    case ID_ULVO_ZOOM_OUT:
    case ID_ULVO_TB_ZOOM_OUT:
    case ID_ULVO_POPUP_ZOOM_OUT:
      Refresh(model_.ZoomOut(model_.centre()));
      return true;
    case ID_ULVO_ZOOM_ACTUAL:
    case ID_ULVO_TB_ZOOM_ACTUAL:
    case ID_ULVO_POPUP_ZOOM_ACTUAL:
      Refresh(model_.ActualSize(model_.centre()));
      return true;
    default:
      return false;
  }
}

void CUlvoFilterView::LoadPattern() {
  std::string path;
  // Only the first load of an opening may skip the dialog; a path chosen in
  // the dialog must not make the next load skip it.
  const bool first = firstLoad_;
  firstLoad_ = false;
  if (settings_.UseOldPat != 0 && first && !settings_.OldPatName.empty()) {
    path = settings_.OldPatName;
  } else {
    OpenFileRequest request;
    request.title = "Select an Ulvo file";
    request.filter = "TIFF (*.TIF)|*.TIF||";
    request.initialFolder = settings_.PatDir;
    const std::optional<std::string> chosen = platform_.dialogs().AskOpenFile(window(), request);
    if (!chosen) return;
    path = *chosen;
    settings_.OldPatName = path;
  }
  LoadPatternFile(path);
}

bool CUlvoFilterView::LoadPatternFile(const std::string& path) {
  BoxMessages messages(platform_.dialogs(), MessageCaption());
  PatternLoader loader(messages);
  // Read over the current description: the loader leaves a resolution the
  // file does not give as it was.
  PatternDescription description = pattern_.description();
  if (loader.ReadDescription(description, path) == 0) return false;
  platform_.resources().Profile().WriteString("OldPatName", path);
  if (!pattern_.Adopt(description, loader, messages)) return false;
  settings_.MaxDMapSize = std::max(pattern_.width(), pattern_.height()) - 1;
  patternWindow_.SetPatternImage(&pattern_.header(), pattern_.pixels());
  if (patternWindow_.open()) patternWindow_.Repaint();
  if (frame_ != nullptr) frame_->ShowPatternName(ShortPatternName(path));
  return true;
}

void CUlvoFilterView::StampPattern(Point client, uintptr_t keys) {
  if (!pattern_.loaded()) return;
  const int zoom = model_.zoom();
  const int width = pattern_.width() * zoom / 100;
  const int height = pattern_.height() * zoom / 100;
  const int left = std::max(client.x - (pattern_.width() / 2) * zoom / 100, 0);
  const int top = std::max(client.y - (pattern_.height() / 2) * zoom / 100, 0);
  RasterOp op = RasterOp::kCopy;
  if ((keys & kMkShift) != 0) {
    op = RasterOp::kAnd;
  } else if ((keys & kMkControl) == 0) {
    return;  // neither key: nothing is drawn
  }
  platform_.windows().DrawOnWindow(window(), pattern_.header(), pattern_.pixels(),
                                   Rect{left, top, width, height},
                                   Rect{0, 0, pattern_.width(), pattern_.height()}, op);
}

void CUlvoFilterView::OnLeftButtonUp(uintptr_t keys, Point client) {
  if (rendering_) return;
  if (focusPick_) {
    PickFocus(client);
  } else if ((keys & (kMkShift | kMkControl)) != 0) {
    if (!pattern_.loaded()) LoadPattern();
    StampPattern(client, keys);
  } else {
    Preview(client);
  }
}

void CUlvoFilterView::PickFocus(Point client) {
  if (job_ == nullptr || job_->inData == nullptr) return;
  const Point pixel = model_.ImagePixelAt(client);
  if (!InsideImage(pixel)) {
    return;  // outside the image: the mode stays on
  }
  if (job_->planes >= 4) {
    // The depth sample in front of the colours; a 16-bit one rounded to 8 bits.
    const uint8_t* sample =
        job_->inData + static_cast<size_t>(job_->rowBytes) * pixel.y +
        static_cast<size_t>(job_->pixelBytes()) * pixel.x +
        static_cast<size_t>(job_->planes - 4) * static_cast<size_t>(job_->sampleBytes);
    if (job_->sampleBytes == 2) {
      uint16_t wide = 0;
      std::memcpy(&wide, sample, sizeof wide);
      active_.ActiveFocusDepth = EightBitSample(wide);
    } else {
      active_.ActiveFocusDepth = *sample;
    }
  } else if (depth_ != nullptr && depth_->present()) {
    active_.ActiveFocusDepth =
        depth_->data[static_cast<size_t>(depth_->rowBytes) * pixel.y + pixel.x];
  } else {
    return;
  }
  focusPick_ = false;
  if (frame_ != nullptr) frame_->RefreshFocusField();
}

void CUlvoFilterView::ToggleFocusPick() {
  if (focusPick_) {
    focusPick_ = false;
    return;
  }
  // Picking needs a depth for the clicked pixel.
  const DepthBuffer noMap;
  if (job_ != nullptr && JobHasDepth(*job_, depth_ != nullptr ? *depth_ : noMap)) focusPick_ = true;
}

bool CUlvoFilterView::InsideImage(Point pixel) const {
  return pixel.x >= 0 && pixel.y >= 0 && pixel.x < job_->paddedWidth && pixel.y < job_->height;
}

RenderSource CUlvoFilterView::JobSource() const {
  RenderSource source;
  source.pixels = job_->inData;
  source.planes = job_->planes;
  source.rowBytes = job_->rowBytes;
  source.width = job_->paddedWidth;
  source.height = job_->height;
  if (depth_ != nullptr && depth_->present()) {
    source.depthPlane = depth_->data;
    source.depthRowBytes = depth_->rowBytes;
  }
  return source;
}

RenderPattern CUlvoFilterView::LoadedPattern() const {
  return RenderPattern{pattern_.pixels(), pattern_.width(), pattern_.height(), pattern_.stride()};
}

RenderValues CUlvoFilterView::CurrentValues(int maxBlur, int16_t skip) const {
  RenderValues values;
  values.large_levels = settings_.Ndepth;
  values.max_blur = maxBlur;
  values.focus_depth = active_.ActiveFocusDepth;
  values.hardness = active_.ActiveHardness;
  values.brightness = active_.ActiveBrightness;
  values.skip = skip;
  values.sample_bits = job_ != nullptr && job_->sampleBytes == 2 ? 16 : 8;
  return values;
}

RenderOutcome CUlvoFilterView::RenderIntoDisplay(const RenderValues& values,
                                                 const DisplayRegion& region) {
  // Regions the engine reports progress for render with the progress
  // window; smaller ones show the wait cursor.
  const bool withProgress = ProgressShown(region.width, region.height);
  // Commands are refused while the render pumps messages, and taken again
  // once it ended, on every way out; so is the wait cursor. Two guards, so
  // that the flag's reset does not share a cleanup with the cursor's
  // try/catch (GCC 12 at -O2 dropped the reset from such a shared cleanup
  // when the cursor was not shown).
  struct RenderingFlag {
    bool& flag;
    explicit RenderingFlag(bool& f) : flag(f) { flag = true; }
    ~RenderingFlag() { flag = false; }
  } const rendering(rendering_);
  struct WaitCursor {
    WindowSystem& windows;
    bool shown;
    WaitCursor(WindowSystem& w, bool show) : windows(w), shown(show) {
      if (shown) windows.ShowWaitCursor(true);
    }
    ~WaitCursor() {
      try {
        if (shown) windows.ShowWaitCursor(false);
      } catch (...) {
        // Out of memory on the way out; the next cursor change mends it.
      }
    }
  } const waitCursor(platform_.windows(), !withProgress);
  const RenderOutcome outcome = RenderJobRegion(
      JobSource(), LoadedPattern(), values, region,
      RenderTarget{display_.renderPixels(), static_cast<int>(display_.renderStride())},
      withProgress ? &progress_ : nullptr);
  // A 16-bit render shows in the display rounded to 8 bits, whatever part of
  // the region it wrote.
  display_.ShowRendered(region.bottom, region.height);
  // A render without the memory it needed left a picture that is not the
  // blur the user asked for.
  if (outcome.status == RenderStatus::kOutOfMemory) TellOutOfMemory(platform_.dialogs());
  return outcome;
}

void CUlvoFilterView::Tell(const std::string& text) {
  platform_.dialogs().ShowMessageBox(window(), text, MessageCaption(), MessageBoxButtons::kOk,
                                     MessageBoxIcon::kNone);
}

void CUlvoFilterView::Preview(Point client) {
  const bool image = job_ != nullptr && JobHasImage(*job_);
  if (!image) {
    if (pattern_.loaded()) Tell("Please read Image File");
    return;
  }
  if (!pattern_.loaded()) {
    LoadPattern();  // the next click previews
    return;
  }
  if (display_.empty()) return;
  const Point pixel = model_.ImagePixelAt(client);
  if (!InsideImage(pixel)) {
    return;
  }
  const std::optional<DisplayRegion> region = PreviewRegion(
      pixel.x, pixel.y, settings_.PrevWidth, settings_.PrevHeight, job_->paddedWidth, job_->height);
  if (!region) return;
  // Each click renders the source afresh; an aborted preview keeps the rows
  // it wrote.
  RenderIntoDisplay(CurrentValues(settings_.MaxDMapSize, settings_.PrevSkip), *region);
  platform_.windows().Invalidate(window(), true);
}

void CUlvoFilterView::RunFull() {
  if (rendering_) return;
  const bool image = job_ != nullptr && JobHasImage(*job_);
  if (!image && !pattern_.loaded()) {
    Tell("Please read Image File and Ulvo File");
    return;
  }
  if (!image) {
    Tell("Please read Image File");
    return;
  }
  if (!pattern_.loaded()) {
    Tell("Please read Ulvo Shape File");
    return;
  }
  if (display_.empty()) return;
  // The fitted blur stays in the settings.
  settings_.MaxDMapSize =
      FitFullRunBlur(settings_.MaxDMapSize, pattern_.width(), pattern_.height());
  const RenderOutcome outcome = RenderIntoDisplay(
      CurrentValues(settings_.MaxDMapSize, settings_.FullSkip), WholePicture(JobSource()));
  if (outcome.cancelled) {
    RestoreDisplay();  // the partial render goes
    return;
  }
  platform_.windows().Invalidate(window(), true);
  if (settings_.QuickEnd != 0) Finish();
}

void CUlvoFilterView::OpenHelp() {
  EditorResources& resources = platform_.resources();
  const std::string target =
      LocalHelpPage(HostFolder(resources.HostExecutablePath()), resources.language());
  // A page that cannot be opened is not reported.
  platform_.dialogs().ShellOpen(window(), target);
}

void CUlvoFilterView::Finish() {
  if (job_ != nullptr) {
    if (display_.empty()) {
      // No display bitmap (it could not be allocated): nothing was rendered,
      // so the result is the untouched source.
      CopySourceToOutput(*job_);
    } else {
      display_.CopyToOutput(*job_);
    }
    job_->accepted = 1;
  }
  patternWindow_.SavePosition();
  PostEndMessage();
}

void CUlvoFilterView::Cancel() {
  if (settings_.QuickQuit == 0) {
    const DialogButton answer = platform_.dialogs().ShowMessageBox(
        window(), platform_.resources().StringResource(IDS_ULVO_CONFIRM_DISCARD), "Quitting",
        MessageBoxButtons::kOkCancel, MessageBoxIcon::kNone);
    if (answer != DialogButton::kOk) return;
  }
  patternWindow_.SavePosition();
  if (job_ != nullptr) job_->accepted = 0;
  PostEndMessage();
}

void CUlvoFilterView::OnKeyDown(uint32_t vk) {
  if (rendering_) return;
  if (vk == kVkControl) {
    ctrlHeld_ = true;
  } else if (vk == kVkEscape) {
    Cancel();
  } else if (vk == kVkReturn) {
    if (settings_.EnterExec != 0) RunFull();
  }
  if (!ctrlHeld_) return;
  if (vk == kVkOemPlus || vk == kVkAdd) {
    Refresh(model_.ZoomIn(model_.centre()));
  } else if (vk == kVkOemMinus || vk == kVkSubtract) {
    Refresh(model_.ZoomOut(model_.centre()));
  } else if (vk == kVkEnd || vk == kVkE) {
    Finish();
  }
}

void CUlvoFilterView::OnRightButtonDown(uintptr_t keys, Point client) {
  if (rendering_ || (keys & kMkControl) != 0) return;
  platform_.windows().ShowPopupMenu(window(), IDR_ULVO_POPUP, 0,
                                    platform_.windows().ClientToScreen(window(), client));
}

}  // namespace ulvo
