// A profile store in a small INI-style file: lines "name=value" below a
// "[UlvoFilter]" header, integers in decimal. The file is read once; every
// write stores the whole file again (under a temporary name, then renamed),
// keeping lines of other sections as they were.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "src/settings/profile_store.h"

namespace ulvo {

class FileProfileStore : public ProfileStore {
 public:
  // A missing or unreadable file is an empty store.
  explicit FileProfileStore(std::string path);

  std::optional<int32_t> ReadInt(const std::string& name) const override;
  std::optional<std::string> ReadString(const std::string& name) const override;
  // Names and values that cannot be stored on one line ("=" in a name, a
  // line break anywhere) are refused.
  bool WriteInt(const std::string& name, int32_t value) override;
  bool WriteString(const std::string& name, const std::string& value) override;

  const std::string& path() const { return path_; }

 private:
  bool Store(const std::string& name, const std::string& text);
  bool WriteFile() const;

  std::string path_;
  std::vector<std::string> foreign_;  // lines of other sections
  std::map<std::string, std::string> values_;
};

}  // namespace ulvo
