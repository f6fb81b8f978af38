#include "src/settings/memory_profile_store.h"

namespace ulvo {

std::optional<int32_t> MemoryProfileStore::ReadInt(const std::string& name) const {
  const auto it = values.find(name);
  if (it == values.end()) return std::nullopt;
  if (const auto* value = std::get_if<int32_t>(&it->second)) return *value;
  return std::nullopt;
}

std::optional<std::string> MemoryProfileStore::ReadString(const std::string& name) const {
  const auto it = values.find(name);
  if (it == values.end()) return std::nullopt;
  const auto* value = std::get_if<std::string>(&it->second);
  if (value == nullptr || value->size() > kMaxProfileString) return std::nullopt;
  return *value;
}

bool MemoryProfileStore::WriteInt(const std::string& name, int32_t value) {
  writes.push_back(name);
  if (refused.count(name) != 0) return false;
  values[name] = value;
  return true;
}

bool MemoryProfileStore::WriteString(const std::string& name, const std::string& value) {
  writes.push_back(name);
  if (refused.count(name) != 0) return false;
  values[name] = value;
  return true;
}

}  // namespace ulvo
