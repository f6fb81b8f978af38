#include "src/settings/plugin_settings.h"

namespace ulvo {
namespace {

void LoadInt(const ProfileStore& store, const char* name, int32_t& field) {
  field = store.IntOr(name, field);
}

void LoadShort(const ProfileStore& store, const char* name, int16_t& field) {
  field = static_cast<int16_t>(static_cast<uint16_t>(store.IntOr(name, field) & 0xffff));
}

void LoadString(const ProfileStore& store, const char* name, std::string& field) {
  field = store.StringOr(name, field);
}

}  // namespace

std::string HostFolder(const std::string& hostExecutablePath) {
  const size_t cut = hostExecutablePath.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : hostExecutablePath.substr(0, cut);
}

namespace {

// `below` (backslashes between its names) appended to the host folder, with
// the folder's own separator.
std::string BelowHostFolder(const std::string& hostFolder, std::string below) {
  if (hostFolder.find('/') != std::string::npos) {
    for (char& c : below) {
      if (c == '\\') c = '/';
    }
  }
  return hostFolder + below;
}

}  // namespace

std::string DefaultPatternFolder(const std::string& hostFolder) {
  return BelowHostFolder(hostFolder, "\\Plug-Ins\\Filters\\UlvoFilter\\pattern");
}

std::string LocalHelpPage(const std::string& hostFolder, UiLanguage language) {
  return BelowHostFolder(hostFolder, language == UiLanguage::kEnglish
                                         ? "\\Plug-Ins\\Filters\\UlvoFilter\\help\\index-en.html"
                                         : "\\Plug-Ins\\Filters\\UlvoFilter\\help\\index.html");
}

PluginSettings DefaultPluginSettings(const std::string& hostFolder) {
  PluginSettings settings;
  settings.PatDir = DefaultPatternFolder(hostFolder);
  return settings;
}

void LoadPluginSettings(const ProfileStore& store, PluginSettings& s) {
  LoadShort(store, "PrevSkip", s.PrevSkip);
  LoadShort(store, "FullSkip", s.FullSkip);
  LoadInt(store, "PrevWidth", s.PrevWidth);
  LoadInt(store, "PrevHeight", s.PrevHeight);
  LoadInt(store, "Ndepth", s.Ndepth);
  LoadInt(store, "MaxDMapSize", s.MaxDMapSize);
  LoadInt(store, "OnFocusDepth", s.OnFocusDepth);
  LoadInt(store, "SaveMemory", s.SaveMemory);
  LoadInt(store, "UseOldPat", s.UseOldPat);
  LoadInt(store, "KeepPattern", s.KeepPattern);
  LoadInt(store, "QuickQuit", s.QuickQuit);
  LoadInt(store, "QuickEnd", s.QuickEnd);
  LoadInt(store, "EnterExec", s.EnterExec);
  LoadString(store, "PatDir", s.PatDir);
  LoadString(store, "ImgDir", s.ImgDir);
  LoadString(store, "OldPatName", s.OldPatName);
}

const char* SaveAllResult::message() const {
  return ok() ? "All Parameters Saved" : "Error saving parameters";
}

SaveAllResult SaveAllPluginSettings(ProfileStore& store, const PluginSettings& s,
                                    uint8_t activeFocusDepth) {
  SaveAllResult result;
  const auto count = [&](bool written) { result.written += written ? 1 : 0; };
  count(store.WriteInt("PrevSkip", s.PrevSkip));
  count(store.WriteInt("FullSkip", s.FullSkip));
  count(store.WriteInt("PrevWidth", s.PrevWidth));
  count(store.WriteInt("PrevHeight", s.PrevHeight));
  count(store.WriteInt("SaveMemory", s.SaveMemory));
  count(store.WriteInt("UseOldPat", s.UseOldPat));
  count(store.WriteInt("QuickEnd", s.QuickEnd));
  count(store.WriteInt("QuickQuit", s.QuickQuit));
  count(store.WriteString("PatDir", s.PatDir));
  count(store.WriteString("ImgDir", s.ImgDir));
  count(store.WriteInt("Ndepth", s.Ndepth));
  count(store.WriteInt("MaxDMapSize", s.MaxDMapSize));
  count(store.WriteInt("OnFocusDepth", activeFocusDepth));
  count(store.WriteInt("EnterExec", s.EnterExec));
  return result;
}

}  // namespace ulvo
