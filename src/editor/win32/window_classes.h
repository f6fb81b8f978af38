// How the system's messages reach the editor's portable window objects: the
// frame ("UlvoPiFrame") and view ("UlvoFilterView") window classes, the
// modeless dialogs' procedure, and a binding per window that leads its
// messages to its object. What the frame does with its bars is asked of the
// frame's layout.
#pragma once

#include <windows.h>

#include <list>

#include "src/editor/editor_window.h"
#include "src/editor/modal_dialogs.h"
#include "src/editor/win32/frame_layout.h"
#include "src/editor/win32/win32_handles.h"

namespace ulvo::win32 {

class WindowClasses {
 public:
  // `dialogs` tells the user when a window's object runs out of memory.
  WindowClasses(HINSTANCE instance, ModalDialogs& dialogs, FrameLayout& layout);
  WindowClasses(const WindowClasses&) = delete;
  WindowClasses& operator=(const WindowClasses&) = delete;

  static constexpr wchar_t kFrameClass[] = L"UlvoPiFrame";
  static constexpr wchar_t kViewClass[] = L"UlvoFilterView";
  bool registered() const { return frameClass_.registered() && viewClass_.registered(); }

  // What a window procedure finds in its window: the portable object, and
  // the classes that lead its messages there.
  struct Binding {
    WindowClasses* classes = nullptr;
    EditorWindow* object = nullptr;
  };
  // The binding of a window about to be made for `object`: the creation
  // parameter of a frame or view window, the initialisation parameter of a
  // modeless dialog (with ModelessDialogProc). It outlives the window.
  Binding& NewBinding(EditorWindow& object);
  static DLGPROC ModelessDialogProc();

  LRESULT FrameProc(Binding& binding, HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT ViewProc(Binding& binding, HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  INT_PTR ModelessProc(Binding& binding, HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  // Clears the window's user data and tells the portable object its window
  // is gone; the binding stays in the list but no longer forwards anything.
  void Unbind(Binding& binding, HWND window, int userData);
  // Lets the portable object handle the message; falls back to the default
  // handling when it declines or is already gone. The window's end unbinds it.
  LRESULT ForwardToObject(Binding& binding, HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

  ModalDialogs& dialogs_;
  FrameLayout& layout_;
  WindowClassRegistration frameClass_;
  WindowClassRegistration viewClass_;
  std::list<Binding> bindings_;  // stable addresses for the windows' user data
};

}  // namespace ulvo::win32
