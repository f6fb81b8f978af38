#include "src/editor/win32/gdi_canvas.h"
#include "src/editor/win32/win32_window_id.h"
#include "src/editor/win32/window_classes.h"
#include "src/editor/window_dispatch.h"

namespace ulvo::win32 {

namespace {

using Binding = WindowClasses::Binding;

Binding* BindingOf(HWND window) {
  return reinterpret_cast<Binding*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Stores the binding passed to CreateWindowEx in the window's user data and
// tells the portable object its window.
Binding* Bind(HWND window, UINT msg, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* binding = static_cast<Binding*>(create->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(binding));
    if (binding != nullptr && binding->object != nullptr)
      binding->object->AttachWindow(ToId(window));
    return binding;
  }
  return BindingOf(window);
}

LRESULT CALLBACK FrameWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  Binding* binding = Bind(window, msg, lParam);
  if (binding == nullptr || binding->classes == nullptr)
    return DefWindowProcW(window, msg, wParam, lParam);
  return binding->classes->FrameProc(*binding, window, msg, wParam, lParam);
}

LRESULT CALLBACK ViewWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  Binding* binding = Bind(window, msg, lParam);
  if (binding == nullptr || binding->classes == nullptr)
    return DefWindowProcW(window, msg, wParam, lParam);
  return binding->classes->ViewProc(*binding, window, msg, wParam, lParam);
}

// A modeless dialog of a portable object: the binding rides in the dialog's
// user data from WM_INITDIALOG on.
INT_PTR CALLBACK ModelessWindowProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    auto* binding = reinterpret_cast<Binding*>(lParam);
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    if (binding != nullptr && binding->object != nullptr)
      binding->object->AttachWindow(ToId(dialog));
    return TRUE;
  }
  auto* binding = reinterpret_cast<Binding*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (binding == nullptr || binding->classes == nullptr) return FALSE;
  return binding->classes->ModelessProc(*binding, dialog, msg, wParam, lParam);
}

WindowClassRegistration RegisterEditorClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc,
                                            HBRUSH background) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  ATOM atom = RegisterClassExW(&wc);
  if (atom == 0 && GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
    // Left behind by an earlier run that did not end cleanly: its window
    // procedure may no longer be valid, so register ours afresh.
    UnregisterClassW(name, instance);
    atom = RegisterClassExW(&wc);
  }
  return WindowClassRegistration(instance, name, atom);
}

// The thumb position of a scroll message from a window's own scroll bar. The
// message carries only its low 16 bits; while the thumb is dragged the
// system knows it at full width.
LPARAM ThumbPosition(HWND window, int bar, WPARAM wParam) {
  const int16_t request = static_cast<int16_t>(LOWORD(wParam));
  if (request != SB_THUMBTRACK && request != SB_THUMBPOSITION) return 0;
  const int low = HIWORD(wParam);
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_TRACKPOS;
  if (GetScrollInfo(window, bar, &info) && (info.nTrackPos & 0xFFFF) == low) {
    return info.nTrackPos;
  }
  return low;  // a message posted by another program
}

// Lets a window's portable object paint the window's invalid part.
void PaintObject(Binding& binding, HWND window) {
  PaintDc dc(window);
  if (binding.object != nullptr && dc.get() != nullptr) {
    GdiCanvas canvas(dc.get());
    DeliverPaint(*binding.object, canvas);
  }
}

}  // namespace

WindowClasses::WindowClasses(HINSTANCE instance, ModalDialogs& dialogs, FrameLayout& layout)
    : dialogs_(dialogs), layout_(layout) {
  // The frame shows only behind its bars, which take the button face.
  frameClass_ = RegisterEditorClass(instance, kFrameClass, FrameWindowProc,
                                    reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  viewClass_ = RegisterEditorClass(instance, kViewClass, ViewWindowProc,
                                   reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
}

WindowClasses::Binding& WindowClasses::NewBinding(EditorWindow& object) {
  return bindings_.emplace_back(Binding{this, &object});
}

DLGPROC WindowClasses::ModelessDialogProc() {
  return ModelessWindowProc;
}

void WindowClasses::Unbind(Binding& binding, HWND window, int userData) {
  SetWindowLongPtrW(window, userData, 0);
  if (binding.object != nullptr) DeliverWindowDestroyed(dialogs_, *binding.object);
  binding.object = nullptr;
}

LRESULT WindowClasses::ForwardToObject(Binding& binding, HWND window, UINT msg, WPARAM wParam,
                                       LPARAM lParam) {
  if (msg == WM_NCDESTROY) {
    // The window's last message: it leaves the frame's layout and its object.
    layout_.WindowDestroyed(window);
    Unbind(binding, window, GWLP_USERDATA);
  } else if (binding.object != nullptr) {
    if (const auto result =
            DeliverMessage(dialogs_, *binding.object, msg, wParam, static_cast<intptr_t>(lParam)))
      return static_cast<LRESULT>(*result);
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

INT_PTR WindowClasses::ModelessProc(Binding& binding, HWND window, UINT msg, WPARAM wParam,
                                    LPARAM lParam) {
  switch (msg) {
    case WM_PAINT:
      PaintObject(binding, window);
      return TRUE;
    case WM_NCDESTROY:
      Unbind(binding, window, DWLP_USER);
      return FALSE;
    default:
      break;
  }
  if (binding.object == nullptr) return FALSE;
  const auto result =
      DeliverMessage(dialogs_, *binding.object, msg, wParam, static_cast<intptr_t>(lParam));
  if (!result) return FALSE;
  SetWindowLongPtrW(window, DWLP_MSGRESULT, static_cast<LONG_PTR>(*result));
  return TRUE;
}

LRESULT WindowClasses::FrameProc(Binding& binding, HWND window, UINT msg, WPARAM wParam,
                                 LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
      layout_.Layout();
      return 0;
    case WM_SETFOCUS:
      if (layout_.view() != nullptr) SetFocus(layout_.view());
      return 0;
    case WM_NOTIFY:
      if (const auto result = layout_.OnNotify(*reinterpret_cast<NMHDR*>(lParam))) return *result;
      break;
    default:
      break;
  }
  return ForwardToObject(binding, window, msg, wParam, lParam);
}

LRESULT WindowClasses::ViewProc(Binding& binding, HWND window, UINT msg, WPARAM wParam,
                                LPARAM lParam) {
  switch (msg) {
    case WM_PAINT:
      PaintObject(binding, window);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      SetFocus(window);
      break;
    case WM_HSCROLL:
    case WM_VSCROLL:
      // The view's own scroll bars: the thumb position at full width.
      if (lParam == 0) {
        lParam = ThumbPosition(window, msg == WM_HSCROLL ? SB_HORZ : SB_VERT, wParam);
      }
      break;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: {
      // The portable view wants the pointer in its client coordinates.
      POINT pointer{static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
      ScreenToClient(window, &pointer);
      lParam = MAKELPARAM(pointer.x, pointer.y);
      break;
    }
    default:
      break;
  }
  return ForwardToObject(binding, window, msg, wParam, lParam);
}

}  // namespace ulvo::win32
