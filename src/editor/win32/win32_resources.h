// The resources of the module this code is in (string table, templates,
// bitmaps, toolbars), the host's executable, and the settings in the
// registry under the module's file name.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "src/editor/editor_resources.h"

namespace ulvo::win32 {

// The module that holds this code and its resources.
HINSTANCE ModuleInstance();

class Win32Resources : public EditorResources {
 public:
  Win32Resources() : instance_(ModuleInstance()) {}

  std::string StringResource(int id) override;
  UiLanguage language() const override { return language_; }
  void SetLanguage(UiLanguage language) override { language_ = language; }
  std::string UserInterfaceLanguage() override;
  std::string HostExecutablePath() override;
  ProfileStore& Profile() override;

  HINSTANCE instance() const { return instance_; }
  // The bytes of a resource of the module in the editor's language, or in
  // the one language it has (pictures, the toolbar); empty when it is missing.
  std::span<const uint8_t> Bytes(int id, LPCWSTR type) const;
  // A menu of the module in the editor's language; null when it is missing.
  HMENU Menu(int id) const;
  // A dialog template in the editor's language; null when it is missing.
  const DLGTEMPLATE* DialogTemplate(int id) const;

 private:
  HINSTANCE instance_;
  UiLanguage language_ = UiLanguage::kJapanese;
  // The registry under the module's file name, opened when first asked for.
  std::unique_ptr<ProfileStore> profile_;
};

}  // namespace ulvo::win32
