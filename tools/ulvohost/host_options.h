// Command line of the stand-in host: which module to load and the list of
// filter runs to drive in one process.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ulvo::host {

struct RectOption {
  int16_t top = 0, left = 0, bottom = 0, right = 0;
};

// One run. --image and --about each start a run; options given before the
// first of them are defaults that every run starts from, options after one
// apply to that run only.
struct RunPlan {
  bool about = false;                 // an about run (selector 0) instead of a filter run
  std::string image;                  // input image file
  std::string mask;                   // optional selection mask (grey, same size)
  std::string out;                    // optional result file
  std::string script;                 // editor automation script; empty: the default script
  std::string cwd;                    // working directory to change to before the run
  std::optional<RectOption> rect;     // filter rectangle; whole image when absent
  std::optional<int16_t> mode;        // image mode override
  int bits = 8;                       // bits per sample of the document: 8 or 16
  bool parameters = true;             // call the parameters selector first
  bool documentInfo = true;           // pass documentInfo when a mask is given
  int rowAlign = 4;                   // row bytes of host buffers: multiple of this
  int returnWaitSeconds = 20;         // Windows: time the module has to return after the script
  int16_t presetResult = 0;           // *result before every call
  std::vector<int16_t> rawSelectors;  // when set: call exactly these selectors
  bool nullRecord = false;            // pass a null record pointer
  // Hosts that behave differently from this one's defaults:
  bool clipRects = false;    // clip requests to the image and write them back
  bool dataSlot = true;      // keep the data slot between runs (else zeroed per run)
  bool finish = true;        // call finish after a successful run
  bool readOnlyCwd = false;  // the run's folder refuses the module's hand-off file
};

struct HostOptions {
  std::string module;
  std::string runAs;               // re-execute under this executable name
  int continueCap = 1000;          // continue calls per run before the host gives up
  bool reloadBetweenRuns = false;  // a freshly loaded module for every run
  std::vector<RunPlan> runs;
};

enum class ParseStatus { kOk, kHelp, kError };

ParseStatus ParseHostOptions(const std::vector<std::string>& args, HostOptions& options,
                             std::string& error);

// Arguments without `--as NAME`, for re-executing the host under that name.
std::vector<std::string> ArgsWithoutRunAs(const std::vector<std::string>& args);

const char* HostUsage();

}  // namespace ulvo::host
