// The module's only export. The host calls it once per step of a filter run;
// all state that must survive between calls lives in the one object below.
#include <cstdio>

#include "src/editor/editor.h"
#include "src/host/depth_file.h"
#include "src/host/selectors.h"
#include "src/host/user_folder.h"

#if defined(_WIN32)
#define ULVO_EXPORT extern "C" __declspec(dllexport)
#else
#define ULVO_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace ulvo {
namespace {

class EditorServices final : public HostServices {
 public:
  EditorResult RunEditor(FilterJob& job, const DepthBuffer& depth, DepthNotice notice) override {
    return ulvo::RunEditor(job, depth, notice);
  }
  void ShowAboutBox() override { ulvo::ShowAboutBox(); }
  void ShowDepthTransferred(const std::filesystem::path& elsewhere) override {
    const std::u8string text = elsewhere.u8string();
    ulvo::ShowDepthTransferred(std::string(text.begin(), text.end()));
  }
  void ShowDepthNotSaved() override { ulvo::ShowDepthNotSaved(); }
  std::string HostExecutablePath() override { return ulvo::HostExecutablePath(); }
  void Print(const char* text) override {
    std::fputs(text, stdout);
    std::fflush(stdout);
  }
  // Relative: the file lies in the host process's current directory.
  std::filesystem::path DepthFilePath() override { return kDepthFileName; }
  std::filesystem::path FallbackDepthFilePath() override {
    const std::filesystem::path folder = PerUserFolder();
    return folder.empty() ? folder : folder / kDepthFileName;
  }
  std::filesystem::path HandOffRecordFolder() override { return PerUserFolder(); }
  ProcessIdentity CurrentProcess() override { return CurrentProcessIdentity(); }
  bool ProcessRunning(const ProcessIdentity& process) override {
    return ProcessIsRunning(process);
  }
};

// Process-wide by necessity: the host keeps nothing of ours between calls but
// the data slot.
EntryState entryState;

}  // namespace
}  // namespace ulvo

ULVO_EXPORT void ENTRYPOINT(int16_t selector, void* record, intptr_t* data, int16_t* result) {
  ulvo::EditorServices services;
  ulvo::RunSelector(ulvo::entryState, services, selector, record, data, result);
}
