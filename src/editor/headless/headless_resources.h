// The headless platform's resources: the string table's texts built in, the
// host's executable, and the settings store (a test's, the module's own
// file, or memory).
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "src/editor/editor_resources.h"

namespace ulvo {

class HeadlessResources : public EditorResources {
 public:
  // `profile`: the store a test keeps the settings in, or null;
  // `userLanguage`: the user's interface language the platform reports.
  HeadlessResources(ProfileStore* profile, std::string userLanguage)
      : profile_(profile), userLanguage_(std::move(userLanguage)) {}

  std::string StringResource(int id) override;
  UiLanguage language() const override { return language_; }
  void SetLanguage(UiLanguage language) override { language_ = language; }
  std::string UserInterfaceLanguage() override { return userLanguage_; }
  std::string HostExecutablePath() override;
  ProfileStore& Profile() override;

  // The user's interface language from the locale's environment (LC_ALL,
  // LC_MESSAGES, LANG, the first one set), for a run by a host.
  void TakeUserLanguageFromEnvironment();

  // The store for a run without a test's store (else the settings live in
  // memory).
  void SetOwnStore(std::unique_ptr<ProfileStore> store) { own_ = std::move(store); }

 private:
  ProfileStore* profile_;
  std::unique_ptr<ProfileStore> own_;
  std::string userLanguage_;
  UiLanguage language_ = UiLanguage::kJapanese;
};

}  // namespace ulvo
