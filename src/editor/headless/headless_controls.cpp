#include "src/editor/headless/headless_controls.h"

namespace ulvo {

HeadlessControls::HeadlessControls(HeadlessWindows& windows, MessageQueue& queue, UiLog log)
    : windows_(windows), queue_(queue), log_(log) {
  windows_.OnDestroyed([this](WindowId window) { Forget(window); });
}

void HeadlessControls::Forget(WindowId window) {
  controls_.erase(window);
  std::erase_if(itemTexts_, [&](const auto& item) { return item.first.first == window; });
  std::erase_if(progress_, [&](const auto& item) { return item.first.first == window; });
}

WindowId HeadlessControls::CreateControl(const ControlDescription& description) {
  const WindowId id = windows_.AddControlWindow(description.parent);
  if (id == 0) return 0;
  Control& control = controls_[id];
  control.description = description;
  // Controls in a toolbar report to the toolbar's window, which passes
  // their notifications on to the frame.
  const auto bar = controls_.find(description.parent);
  control.notify = bar != controls_.end() ? bar->second.notify : description.parent;
  return id;
}

void HeadlessControls::SetListItems(WindowId list, const std::vector<std::string>& items,
                                    int selected) {
  const auto it = controls_.find(list);
  if (it == controls_.end()) return;
  it->second.items = items;
  it->second.selected = selected >= 0 && selected < static_cast<int>(items.size()) ? selected : -1;
}

int HeadlessControls::ListSelection(WindowId list) {
  const auto it = controls_.find(list);
  return it == controls_.end() ? -1 : it->second.selected;
}

void HeadlessControls::SetControlText(WindowId window, const std::string& text) {
  const auto it = controls_.find(window);
  if (it == controls_.end()) return;
  it->second.text = text;
  // As an edit control does, whoever changed the text.
  if (it->second.description.kind == ControlKind::kEdit) {
    windows_.Send(it->second.notify, kMsgCommand,
                  (static_cast<uintptr_t>(kEditUpdated) << 16) |
                      static_cast<uint32_t>(it->second.description.id),
                  static_cast<intptr_t>(window));
  }
}

std::string HeadlessControls::ControlText(WindowId window) {
  const auto it = controls_.find(window);
  return it == controls_.end() ? std::string() : it->second.text;
}

void HeadlessControls::SetReadOnly(WindowId field, bool readOnly) {
  const auto it = controls_.find(field);
  if (it != controls_.end()) it->second.readOnly = readOnly;
}

void HeadlessControls::ShowBar(WindowId bar, bool show) {
  const auto it = controls_.find(bar);
  if (it == controls_.end() || it->second.shown == show) return;
  it->second.shown = show;
  log_("bar " + std::to_string(it->second.description.id) + (show ? " shown" : " hidden"));
}

bool HeadlessControls::BarShown(WindowId bar) {
  const auto it = controls_.find(bar);
  return it != controls_.end() && it->second.shown;
}

void HeadlessControls::SetStatusText(WindowId frame, int pane, const std::string& text) {
  if (frame == 0 || frame != windows_.frameWindow()) return;
  if (pane >= 0 && pane < 2) statusTexts_[pane] = text;
  log_("status " + std::to_string(pane) + " \"" + text + "\"");
}

void HeadlessControls::ShowPrompt(WindowId frame, const std::string& prompt) {
  if (frame == 0 || frame != windows_.frameWindow()) return;
  log_(prompt.empty() ? std::string("prompt ended") : "prompt \"" + prompt + "\"");
}

void HeadlessControls::LogStatusBar() const {
  for (int pane = 0; pane < 2; ++pane) {
    log_("status " + std::to_string(pane) + " \"" + statusTexts_[pane] + "\"");
  }
}

void HeadlessControls::SetDialogItemText(WindowId dialog, int item, const std::string& text) {
  if (!windows_.windowExists(dialog)) return;
  itemTexts_[{dialog, item}] = text;
  log_("dialog " + std::to_string(windows_.DialogTemplate(dialog)) + " item " +
       std::to_string(item) + " \"" + text + "\"");
}

std::string HeadlessControls::DialogItemText(WindowId dialog, int item) {
  const auto it = itemTexts_.find({dialog, item});
  return it == itemTexts_.end() ? std::string() : it->second;
}

void HeadlessControls::SetDialogProgress(WindowId dialog, int item, const ProgressBarState& state) {
  if (windows_.windowExists(dialog)) progress_[{dialog, item}] = state;
}

WindowId HeadlessControls::FindControl(int id) const {
  WindowId found = 0;
  for (const auto& [window, control] : controls_) {
    if (control.description.id == id) found = window;
  }
  return found;
}

HeadlessControls::Control* HeadlessControls::FindControl(int id, ControlKind kind,
                                                         WindowId& window) {
  window = FindControl(id);
  const auto it = controls_.find(window);
  return it != controls_.end() && it->second.description.kind == kind ? &it->second : nullptr;
}

void HeadlessControls::Choose(int id, int index) {
  WindowId window = 0;
  Control* found = FindControl(id, ControlKind::kDropDownList, window);
  if (found == nullptr) {
    log_("choose " + std::to_string(id) + ": no such list");
    return;
  }
  Control& list = *found;
  if (index < 0 || index >= static_cast<int>(list.items.size())) {
    log_("choose " + std::to_string(id) + ": no entry " + std::to_string(index));
    return;
  }
  list.selected = index;
  log_("choose " + std::to_string(id) + " \"" + list.items[static_cast<size_t>(index)] + "\"");
  queue_.Post(list.notify, kMsgCommand,
              (static_cast<uintptr_t>(kListSelectionChanged) << 16) | static_cast<uint32_t>(id),
              static_cast<intptr_t>(window));
}

void HeadlessControls::Type(int id, const std::string& typed) {
  WindowId window = 0;
  const Control* field = FindControl(id, ControlKind::kEdit, window);
  if (field == nullptr) {
    log_("type " + std::to_string(id) + ": no such field");
    return;
  }
  if (field->readOnly) {
    log_("type " + std::to_string(id) + ": the field is read-only");
    return;
  }
  // Typing stops at the field's limit.
  const int limit = field->description.maxChars;
  std::string text = typed;
  if (limit > 0 && static_cast<int>(text.size()) > limit) text.resize(static_cast<size_t>(limit));
  log_("type " + std::to_string(id) + " \"" + text + "\"");
  SetControlText(window, text);
}

void HeadlessControls::Drop(int id) {
  WindowId window = 0;
  const bool list = FindControl(id, ControlKind::kDropDownList, window) != nullptr;
  log_("drop " + std::to_string(id) + (list ? "" : ": no such list"));
}

}  // namespace ulvo
