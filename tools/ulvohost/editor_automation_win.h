// Runs an editor script on a second thread against the windows that the
// module creates on the host's main thread, posting real window messages.
#pragma once

#include <windows.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "src/editor/script/automation_script.h"

namespace ulvo::host {

class EditorAutomation {
 public:
  EditorAutomation(std::vector<ScriptStep> commands, DWORD mainThreadId, DWORD returnWaitMs);
  ~EditorAutomation();
  EditorAutomation(const EditorAutomation&) = delete;
  EditorAutomation& operator=(const EditorAutomation&) = delete;

  void Start();
  // Called on the main thread when the module has returned from the run's
  // last selector.
  void RunEnded();
  // Waits for the script thread; false when a command failed or timed out.
  bool Finish();

 private:
  void ThreadMain();
  bool Execute(const ScriptStep& command);
  // Polls `found` until it gives a window, the run ends or the time is up.
  template <typename Find>
  HWND WaitForWindow(Find found, const char* what);
  HWND Frame() const;
  HWND View() const;
  HWND Dialog(int buttonId) const;
  bool PostAndSettle(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  bool Answer(const ScriptStep& command);
  bool OpenFile(const ScriptStep& command);
  bool Key(const ScriptStep& command);
  // A control of the module's windows by its id: in a dialog of the main
  // thread first, then in the editor frame.
  HWND Control(int id) const;
  bool Choose(const ScriptStep& command);
  bool Drop(const ScriptStep& command);
  bool Type(const ScriptStep& command);
  bool Check(const ScriptStep& command);
  bool Status();
  bool Fail(const std::string& message);
  void GiveUp();

  std::vector<ScriptStep> commands_;
  DWORD mainThreadId_;
  DWORD returnWaitMs_;  // how long the module may take to return after the script
  HANDLE runEnded_;
  std::atomic<bool> failed_{false};
  bool stopped_ = false;  // the run ended while the script waited
  std::set<HWND> answered_;
  std::thread thread_;
};

}  // namespace ulvo::host
