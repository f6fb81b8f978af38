// The same host as fuzz_entry_point, with the real editor on the headless
// platform: it opens on the job and depth map the module hands over, and a
// script finishes or cancels it. Slower per run, so images stay small.
#include <cstdint>
#include <sstream>
#include <string>

#include "src/editor/headless/headless_platform.h"
#include "src/editor/run_editor.h"
#include "src/resources/editor_ids.h"
#include "src/settings/memory_profile_store.h"
#include "tests/fuzz/filter_calls.h"

namespace {

void RunHeadlessEditor(ulvo::FilterJob& job, const ulvo::DepthBuffer& depth, bool accept) {
  const std::string script =
      "wait-editor\ncommand " + std::to_string(accept ? ID_ULVO_FINISH : ID_ULVO_CANCEL) + "\n";
  ulvo::MemoryProfileStore settings;  // never the user's settings
  ulvo::HeadlessOptions options;
  options.profile = &settings;
  std::ostringstream log;
  ulvo::HeadlessPlatform platform(script, log, options);
  ulvo::RunEditorOn(platform, job, depth);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kMaxCalls = 8;
  constexpr size_t kMaxBufferBytes = size_t{1} << 16;
  ulvo::fuzz::PlayFilterCalls(ulvo::fuzz::DecodeCalls(data, size, kMaxCalls), RunHeadlessEditor,
                              kMaxBufferBytes);
  return 0;
}
