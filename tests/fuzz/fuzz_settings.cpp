// Loading the editor's settings from a settings file of any content, or from
// a memory store whose values have any name, type and size. Whatever was
// loaded, saving it and loading again must give the same record: a value
// that cannot be kept must make the save report an error, never be changed.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "src/settings/file_profile_store.h"
#include "src/settings/memory_profile_store.h"
#include "src/settings/plugin_settings.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/scratch_file.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

constexpr const char* kNames[] = {"PrevSkip",  "FullSkip",    "PrevWidth",    "PrevHeight",
                                  "Ndepth",    "MaxDMapSize", "OnFocusDepth", "SaveMemory",
                                  "UseOldPat", "KeepPattern", "QuickQuit",    "QuickEnd",
                                  "EnterExec", "PatDir",      "ImgDir",       "OldPatName"};
constexpr size_t kNameCount = sizeof kNames / sizeof kNames[0];

// The fields that Save all writes, as they must come back.
void RequireSavedFieldsEqual(const ulvo::PluginSettings& a, const ulvo::PluginSettings& b,
                             uint8_t focus) {
  Require(a.PrevSkip == b.PrevSkip && a.FullSkip == b.FullSkip);
  Require(a.PrevWidth == b.PrevWidth && a.PrevHeight == b.PrevHeight);
  Require(a.SaveMemory == b.SaveMemory && a.UseOldPat == b.UseOldPat);
  Require(a.QuickEnd == b.QuickEnd && a.QuickQuit == b.QuickQuit);
  Require(a.PatDir == b.PatDir && a.ImgDir == b.ImgDir);
  Require(a.Ndepth == b.Ndepth && a.MaxDMapSize == b.MaxDMapSize);
  Require(b.OnFocusDepth == focus && a.EnterExec == b.EnterExec);
}

// Entries: name (one of ours, or bytes), kind, value.
void FillMemoryStore(ulvo::fuzz::FuzzInput& input, ulvo::MemoryProfileStore& store) {
  while (!input.empty()) {
    const uint8_t pick = input.U8();
    std::string name;
    if (pick < 2 * kNameCount) {
      name = kNames[pick % kNameCount];
    } else {
      const std::vector<uint8_t> bytes = input.Bytes(input.U8() % 16);
      name.assign(bytes.begin(), bytes.end());
    }
    if (input.Bit(pick, 7)) {
      const std::vector<uint8_t> bytes = input.Bytes(input.U16() % 6000);
      store.values[name] = std::string(bytes.begin(), bytes.end());
    } else {
      store.values[name] = input.I32();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ulvo::fuzz::FuzzInput input(data, size);
  const uint8_t mode = input.U8();
  const uint8_t focus = input.U8();
  const ulvo::PluginSettings defaults = ulvo::DefaultPluginSettings("/opt/host");

  if (input.Bit(mode, 0)) {
    const std::vector<uint8_t> contents = input.Rest();
    const ulvo::fuzz::ScratchFile file(contents.data(), contents.size(), ".ini");
    ulvo::PluginSettings loaded = defaults;
    {
      ulvo::FileProfileStore store(file.string());
      ulvo::LoadPluginSettings(store, loaded);
      if (!ulvo::SaveAllPluginSettings(store, loaded, focus).ok()) return 0;
    }
    ulvo::FileProfileStore again(file.string());
    ulvo::PluginSettings reloaded = defaults;
    ulvo::LoadPluginSettings(again, reloaded);
    RequireSavedFieldsEqual(loaded, reloaded, focus);
    // The fields Save all does not write keep what the file held.
    Require(loaded.KeepPattern == reloaded.KeepPattern);
    Require(loaded.OldPatName == reloaded.OldPatName);
    return 0;
  }

  ulvo::MemoryProfileStore store;
  FillMemoryStore(input, store);
  ulvo::PluginSettings loaded = defaults;
  ulvo::LoadPluginSettings(store, loaded);
  for (const std::string* text : {&loaded.PatDir, &loaded.ImgDir, &loaded.OldPatName}) {
    Require(text->size() <= ulvo::kMaxProfileString);
  }
  Require(ulvo::SaveAllPluginSettings(store, loaded, focus).ok());
  ulvo::PluginSettings reloaded = defaults;
  ulvo::LoadPluginSettings(store, reloaded);
  RequireSavedFieldsEqual(loaded, reloaded, focus);
  return 0;
}
