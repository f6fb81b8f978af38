#include "src/editor/ulvo_pi_frame.h"

#include "src/editor/command_text.h"
#include "src/editor/depth_notice_text.h"
#include "src/editor/tone_controls.h"
#include "src/resources/editor_ids.h"

namespace ulvo {
namespace {

constexpr int kToneControlWidth = 60;  // pixels taken from the toolbar for each control
constexpr int kDroppedListHeight = 500;
constexpr int kStatusPaneWidth = 150;

}  // namespace

CUlvoPiFrame::CUlvoPiFrame(EditorPlatform& platform, EditorApp& app,
                           std::unique_ptr<CUlvoPiDoc> doc, ActiveValues& active)
    : platform_(platform),
      app_(app),
      active_(active),
      doc_(std::move(doc)),
      loop_(
          platform.queue(), [&app](const Message& msg) { return app.PreTranslateMessage(msg); },
          kMsgEndEditor) {
  // The tone selections of the previous run are taken up only when the host
  // repeats the filter without asking for its parameters.
  const ProfileStore& profile = platform_.resources().Profile();
  const bool repeated = active_.ActiveRepeat != 0;
  hardnessIndex_ =
      StartIndex(repeated, profile.ReadInt("NomKatasa"), kHardnessCount, kDefaultHardnessIndex);
  brightnessIndex_ = StartIndex(repeated, profile.ReadInt("NomAkarusa"), kBrightnessCount,
                                kDefaultBrightnessIndex);
  active_.ActiveHardness = HardnessValue(hardnessIndex_);
  active_.ActiveBrightness = BrightnessValue(brightnessIndex_);
  focusValue_ = profile.IntOr("OnFocusDepth", 0) & 0xff;
  active_.ActiveFocusDepth = static_cast<uint8_t>(focusValue_);
}

CUlvoPiFrame::~CUlvoPiFrame() {
  Destroy();
}

bool CUlvoPiFrame::Create() {
  view_ = std::make_unique<CUlvoFilterView>(platform_, active_);
  doc_->SetView(view_.get());
  if (platform_.windows().CreateEditorWindow({WindowKind::kFrame, this, 0, IDR_ULVO_MAINFRAME}) ==
          0 ||
      platform_.windows().CreateEditorWindow({WindowKind::kView, view_.get(), window(), 0}) == 0) {
    Destroy();
    return false;
  }
  CreateBars();
  ShowBarChecks();
  view_->OnInitialUpdate(window());
  platform_.windows().ShowFrameWindow(window());
  return true;
}

void CUlvoPiFrame::CreateBars() {
  ControlDescription bar;
  bar.kind = ControlKind::kToolbar;
  bar.parent = window();
  bar.id = ID_ULVO_TOOLBAR;
  bar.resource = IDR_ULVO_MAINFRAME;
  // The two labels of the lists have no command; focus picking needs depth.
  bar.disabled = {ID_ULVO_TB_HARDNESS_LABEL, ID_ULVO_TB_BRIGHTNESS_LABEL};
  if (!active_.DepthAvailable) {
    bar.disabled.push_back(ID_ULVO_TB_FOCUS_PICK);
    bar.indeterminate.push_back(ID_ULVO_TB_FOCUS_PICK);
  }
  toolbar_ = platform_.controls().CreateControl(bar);

  // The two lists and the focus field take the places of three buttons.
  const auto place = [&](ControlKind kind, int id, int placeholder) {
    ControlDescription control;
    control.kind = kind;
    control.parent = toolbar_;
    control.id = id;
    control.placeholder = placeholder;
    control.width = kToneControlWidth;
    if (kind == ControlKind::kDropDownList) {
      control.dropHeight = kDroppedListHeight;
      control.fontFace = "Courier";
      control.fontPoints = 12;
    } else {
      control.maxChars = 3;
      control.margins = 10;
      control.rightAligned = true;
    }
    return platform_.controls().CreateControl(control);
  };
  if (toolbar_ != 0)
    hardnessList_ = place(ControlKind::kDropDownList, IDC_ULVO_HARDNESS, ID_ULVO_TB_HARDNESS_PLACE);
  if (hardnessList_ != 0) {
    platform_.controls().SetListItems(hardnessList_, HardnessTexts(), hardnessIndex_);
    brightnessList_ =
        place(ControlKind::kDropDownList, IDC_ULVO_BRIGHTNESS, ID_ULVO_TB_BRIGHTNESS_PLACE);
  }
  if (brightnessList_ != 0) {
    platform_.controls().SetListItems(brightnessList_, BrightnessTexts(), brightnessIndex_);
    focusField_ = place(ControlKind::kEdit, IDC_ULVO_FOCUS, ID_ULVO_TB_FOCUS_PLACE);
  }
  if (focusField_ != 0) {
    if (active_.DepthAvailable) {
      RefreshFocusField();
    } else {
      platform_.controls().SetReadOnly(focusField_, true);
    }
  }

  ControlDescription status;
  status.kind = ControlKind::kStatusBar;
  status.parent = window();
  status.id = ID_ULVO_STATUS_BAR;
  // Without depth the second pane says so, and takes the rest of the bar
  // for the reason.
  const bool noDepth = !active_.DepthAvailable;
  status.panes = {kStatusPaneWidth, noDepth ? kPaneToRightEdge : kStatusPaneWidth};
  statusBar_ = platform_.controls().CreateControl(status);
  ShowPatternName(ShortPatternName(platform_.resources().Profile().StringOr("OldPatName", "")));
  if (statusBar_ != 0 && noDepth) {
    platform_.controls().SetStatusText(
        window(), 1, platform_.resources().StringResource(DepthNoticeTextId(active_.depthNotice)));
  }
}

void CUlvoPiFrame::RefreshFocusField() {
  if (focusField_ == 0 || !active_.DepthAvailable) return;
  platform_.controls().SetControlText(focusField_, FocusText(active_.ActiveFocusDepth));
}

void CUlvoPiFrame::ShowPatternName(const std::string& shortName) {
  if (statusBar_ != 0) platform_.controls().SetStatusText(window(), 0, shortName);
}

void CUlvoPiFrame::OnFocusFieldUpdated() {
  if (!active_.DepthAvailable || focusField_ == 0) return;
  const FocusFieldUpdate update =
      ReadFocusField(platform_.controls().ControlText(focusField_), focusValue_);
  focusValue_ = update.value;
  active_.ActiveFocusDepth = static_cast<uint8_t>(focusValue_);
  // Writing the held value raises the notification once more, now unchanged.
  if (update.rewrite) platform_.controls().SetControlText(focusField_, FocusText(focusValue_));
}

bool CUlvoPiFrame::OnCommand(uint32_t id) {
  WindowId bar = 0;
  if (id == ID_ULVO_VIEW_TOOLBAR) {
    bar = toolbar_;
  } else if (id == ID_ULVO_VIEW_STATUS_BAR) {
    bar = statusBar_;
  } else {
    return false;
  }
  if (bar != 0) platform_.controls().ShowBar(bar, !platform_.controls().BarShown(bar));
  ShowBarChecks();
  return true;
}

void CUlvoPiFrame::ShowBarChecks() {
  platform_.windows().CheckMenuItem(window(), ID_ULVO_VIEW_TOOLBAR,
                                    toolbar_ != 0 && platform_.controls().BarShown(toolbar_));
  platform_.windows().CheckMenuItem(window(), ID_ULVO_VIEW_STATUS_BAR,
                                    statusBar_ != 0 && platform_.controls().BarShown(statusBar_));
}

void CUlvoPiFrame::OnMenuSelect(uintptr_t wParam, intptr_t lParam) {
  if (statusBar_ == 0) return;
  const uint32_t id = LowWord(wParam);
  const uint32_t flags = HighWord(wParam);
  // A closed menu, a popup's title or a separator has no prompt: the pane
  // shows its own text again.
  std::string prompt;
  if (!(flags == kMenuClosed && lParam == 0) &&
      (flags & (kMenuFlagPopup | kMenuFlagSeparator)) == 0) {
    prompt = CommandPrompt(platform_.resources().StringResource(static_cast<int>(id)));
  }
  platform_.controls().ShowPrompt(window(), prompt);
}

void CUlvoPiFrame::Destroy() {
  // Destroying the frame's window takes the view's window with it.
  if (window() != 0) platform_.windows().DestroyEditorWindow(window());
  if (view_ != nullptr && view_->window() != 0)
    platform_.windows().DestroyEditorWindow(view_->window());
}

void CUlvoPiFrame::OnWindowDestroyed() {
  EditorWindow::OnWindowDestroyed();
  toolbar_ = hardnessList_ = brightnessList_ = focusField_ = statusBar_ = 0;
  loop_.End(-1);
  // The tone selections are kept for a repeated run (last: a write that
  // fails for lack of memory must not keep the loop running).
  platform_.resources().Profile().WriteInt("NomKatasa", hardnessIndex_);
  platform_.resources().Profile().WriteInt("NomAkarusa", brightnessIndex_);
}

bool CUlvoPiFrame::RouteCommand(uint32_t id) {
  CommandTarget* const targets[] = {view_.get(), doc_.get(), this, &app_};
  for (CommandTarget* target : targets)
    if (target != nullptr && target->OnCommand(id)) return true;
  return false;
}

std::optional<intptr_t> CUlvoPiFrame::OnMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  switch (msg) {
    case kMsgNull:
      return 0;
    case kMsgCommand: {
      // The tone controls' notifications are the frame's own; menu items,
      // accelerators and toolbar buttons are routed.
      const uint32_t id = LowWord(wParam);
      const uint32_t code = HighWord(wParam);
      if (lParam != 0 && code == kListSelectionChanged &&
          (id == IDC_ULVO_HARDNESS || id == IDC_ULVO_BRIGHTNESS)) {
        if (id == IDC_ULVO_HARDNESS) {
          hardnessIndex_ = platform_.controls().ListSelection(hardnessList_);
          active_.ActiveHardness = HardnessValue(hardnessIndex_);
        } else {
          brightnessIndex_ = platform_.controls().ListSelection(brightnessList_);
          active_.ActiveBrightness = BrightnessValue(brightnessIndex_);
        }
        return 0;
      }
      if (lParam != 0 && code == kEditUpdated && id == IDC_ULVO_FOCUS) {
        OnFocusFieldUpdated();
        return 0;
      }
      if ((code == 0 || (code == 1 && lParam == 0)) && RouteCommand(id)) return 0;
      return std::nullopt;
    }
    case kMsgMenuSelect:
      OnMenuSelect(wParam, lParam);
      return 0;
    case kMsgClose:
      // Close box, Alt+F4, system menu: the document refuses, the editor stays.
      if (doc_->CanCloseFrame()) Destroy();
      return 0;
    default:
      return std::nullopt;
  }
}

}  // namespace ulvo
