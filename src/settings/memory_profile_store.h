// A profile store in memory: for tests, and for editor runs that must not
// touch the user's settings. Writes of chosen names can be refused.
#pragma once

#include <map>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "src/settings/profile_store.h"

namespace ulvo {

class MemoryProfileStore : public ProfileStore {
 public:
  std::optional<int32_t> ReadInt(const std::string& name) const override;
  std::optional<std::string> ReadString(const std::string& name) const override;
  bool WriteInt(const std::string& name, int32_t value) override;
  bool WriteString(const std::string& name, const std::string& value) override;

  std::map<std::string, std::variant<int32_t, std::string>> values;
  std::set<std::string> refused;    // writes of these names fail
  std::vector<std::string> writes;  // every write attempted, in order
};

}  // namespace ulvo
