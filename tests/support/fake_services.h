// The module's outside world as the host tests play it: what it asked for is
// recorded, the editor does whatever the test puts in `editor`, and the
// process it runs in is whatever the test says.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "src/host/selectors.h"

namespace ulvo {

class FakeServices final : public HostServices {
 public:
  explicit FakeServices(std::filesystem::path depthFile) : depthFile_(std::move(depthFile)) {}

  EditorResult RunEditor(FilterJob& job, const DepthBuffer& depth, DepthNotice notice) override {
    ++editorRuns;
    seenNotice = notice;
    seenRepeat = job.repeat;
    seenDepthSize = depth.present() ? depth.size : 0;
    seenDepth.assign(depth.data, depth.data + (depth.present() ? depth.size : 0));
    if (job.inData != nullptr) seenInput.assign(job.inData, job.inData + job.rowBytes * job.height);
    if (editor) editor(job);
    return editorResult;
  }
  void ShowAboutBox() override { ++aboutBoxes; }
  void ShowDepthTransferred(const std::filesystem::path& elsewhere) override {
    ++depthMessages;
    depthElsewhere = elsewhere;
  }
  void ShowDepthNotSaved() override { ++notSavedMessages; }
  std::string HostExecutablePath() override { return hostPath; }
  void Print(const char* text) override { printed += text; }
  std::filesystem::path DepthFilePath() override { return depthFile_; }
  std::filesystem::path FallbackDepthFilePath() override { return fallbackFile; }
  std::filesystem::path HandOffRecordFolder() override { return recordFolder; }
  ProcessIdentity CurrentProcess() override { return process; }
  bool ProcessRunning(const ProcessIdentity& other) override {
    for (const ProcessIdentity& running : runningProcesses) {
      if (running == other) return true;
    }
    return other == process;
  }

  std::function<void(FilterJob&)> editor;
  EditorResult editorResult = EditorResult::kClosed;
  std::string hostPath = "C:\\Program Files\\Editor\\editor.exe";
  int editorRuns = 0;
  int aboutBoxes = 0;
  int depthMessages = 0;
  int notSavedMessages = 0;
  std::filesystem::path depthElsewhere;
  std::filesystem::path fallbackFile;
  std::filesystem::path recordFolder;  // empty: no notes
  ProcessIdentity process{1000, "boot-1:5000"};
  std::vector<ProcessIdentity> runningProcesses;  // besides this one
  DepthNotice seenNotice = DepthNotice::kNone;
  int32_t seenRepeat = -1;
  int32_t seenDepthSize = -1;
  std::vector<uint8_t> seenDepth;
  std::vector<uint8_t> seenInput;
  std::string printed;

 private:
  std::filesystem::path depthFile_;
};

}  // namespace ulvo
