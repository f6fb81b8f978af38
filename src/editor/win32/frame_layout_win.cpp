#include <algorithm>
#include <utility>

#include "src/editor/command_text.h"
#include "src/editor/win32/frame_layout.h"
#include "src/win32/text_convert.h"

namespace ulvo::win32 {

HGDIOBJ FrameLayout::KeepFont(UniqueGdiObject font) {
  fonts_.push_back(std::move(font));
  return fonts_.back().get();
}

void FrameLayout::WindowDestroyed(HWND window) {
  if (window == view_) view_ = nullptr;
  if (window != frame_) return;
  frame_ = nullptr;
  statusBar_ = nullptr;
  toolbar_ = nullptr;
  fonts_.clear();
}

void FrameLayout::Layout() {
  if (frame_ == nullptr) return;
  RECT client{};
  GetClientRect(frame_, &client);
  const auto height = [](HWND bar, UINT resize) {
    if (bar == nullptr || !IsWindowVisible(bar)) return 0L;
    SendMessageW(bar, resize, 0, 0);
    RECT place{};
    GetWindowRect(bar, &place);
    return place.bottom - place.top;
  };
  const LONG top = height(toolbar_, TB_AUTOSIZE);
  const LONG bottom = height(statusBar_, WM_SIZE);
  if (view_ != nullptr)
    MoveWindow(view_, 0, top, client.right, std::max<LONG>(0, client.bottom - top - bottom), TRUE);
}

std::optional<LRESULT> FrameLayout::OnNotify(NMHDR& header) {
  if (header.code == static_cast<UINT>(NM_CUSTOMDRAW) && header.hwndFrom == toolbar_)
    return ToolbarCustomDraw(reinterpret_cast<NMCUSTOMDRAW&>(header));
  if (OnBarNotify(header)) return 0;
  return std::nullopt;
}

// The gripper at the toolbar's left end: a raised bar three pixels wide,
// drawn over the indent once the toolbar has painted itself.
LRESULT FrameLayout::ToolbarCustomDraw(NMCUSTOMDRAW& draw) {
  if (draw.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYPOSTPAINT;
  if (draw.dwDrawStage == CDDS_POSTPAINT) {
    RECT bar{};
    GetClientRect(draw.hdr.hwndFrom, &bar);
    RECT grip{2, bar.top + 2, 5, bar.bottom - 2};
    DrawEdge(draw.hdc, &grip, BDR_RAISEDINNER, BF_RECT);
  }
  return CDRF_DODEFAULT;
}

// Tooltips and the fly-by help of the toolbar's buttons, from the string
// table: the prompt before the line break, the tooltip after it.
bool FrameLayout::OnBarNotify(NMHDR& header) {
  if (header.code == TTN_GETDISPINFOW) {
    auto& tip = reinterpret_cast<NMTTDISPINFOW&>(header);
    tipText_ = Widen(CommandTooltip(resources_.StringResource(static_cast<int>(tip.hdr.idFrom))));
    tip.lpszText = tipText_.data();
    return true;
  }
  if (header.code == static_cast<UINT>(TBN_HOTITEMCHANGE) && header.hwndFrom == toolbar_) {
    const auto& hot = reinterpret_cast<const NMTBHOTITEM&>(header);
    std::wstring prompt;
    if ((hot.dwFlags & HICF_LEAVING) == 0)
      prompt = Widen(CommandPrompt(resources_.StringResource(hot.idNew)));
    ShowPrompt(prompt);
  }
  return false;
}

void FrameLayout::SetStatusText(int pane, std::wstring text) {
  if (pane < 0 || pane > 1) return;
  paneTexts_[pane] = std::move(text);
  if (statusBar_ == nullptr) return;
  // The first pane stands out, as the pattern name it shows should.
  const WPARAM where = static_cast<WPARAM>(pane) | (pane == 0 ? SBT_POPOUT : 0);
  SendMessageW(statusBar_, SB_SETTEXTW, where, reinterpret_cast<LPARAM>(paneTexts_[pane].c_str()));
}

void FrameLayout::ShowPrompt(const std::wstring& prompt) {
  if (statusBar_ == nullptr) return;
  const std::wstring& text = prompt.empty() ? paneTexts_[1] : prompt;
  SendMessageW(statusBar_, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace ulvo::win32
