// The headless platform's resources: the string table's texts built in, the
// host's executable, and the settings store (a test's, the module's own
// file, or memory).
#pragma once

#include <memory>
#include <string>

#include "src/editor/editor_resources.h"

namespace ulvo {

class HeadlessResources : public EditorResources {
 public:
  // `profile`: the store a test keeps the settings in, or null.
  explicit HeadlessResources(ProfileStore* profile) : profile_(profile) {}

  std::string StringResource(int id) override;
  std::string HostExecutablePath() override;
  ProfileStore& Profile() override;

  // The store for a run without a test's store (else the settings live in
  // memory).
  void SetOwnStore(std::unique_ptr<ProfileStore> store) { own_ = std::move(store); }

 private:
  ProfileStore* profile_;
  std::unique_ptr<ProfileStore> own_;
};

}  // namespace ulvo
