// Where the editor's settings persist: one section of named values, each a
// 32-bit integer or a string, read with a fallback and written one by one.
// On Windows it is the current user's registry, elsewhere a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace ulvo {

// The registry key of the application and the section of the filter's values.
inline constexpr char kProfileCompany[] = "UlvoSoft";
inline constexpr char kProfileSection[] = "UlvoFilter";

// Stored strings longer than this (bytes of UTF-8) count as missing: a path
// is far shorter, and nothing read from the store may grow without bound.
inline constexpr size_t kMaxProfileString = 4096;

class ProfileStore {
 public:
  virtual ~ProfileStore() = default;

  // The value, or nothing when it is missing, of another type or too long.
  virtual std::optional<int32_t> ReadInt(const std::string& name) const = 0;
  virtual std::optional<std::string> ReadString(const std::string& name) const = 0;
  // False when the value could not be stored.
  virtual bool WriteInt(const std::string& name, int32_t value) = 0;
  virtual bool WriteString(const std::string& name, const std::string& value) = 0;

  int32_t IntOr(const std::string& name, int32_t fallback) const {
    return ReadInt(name).value_or(fallback);
  }
  std::string StringOr(const std::string& name, const std::string& fallback) const {
    return ReadString(name).value_or(fallback);
  }
};

// The current user's store of the application `appName` (the module's file
// name without its extension): the registry key
// HKEY_CURRENT_USER\Software\UlvoSoft\<appName>\UlvoFilter on Windows, the
// file UlvoSoft/<appName>.ini in the user's configuration folder elsewhere.
// Never null.
std::unique_ptr<ProfileStore> OpenUserProfileStore(const std::string& appName);

// The file name of a path without its folder and its last extension.
std::string FileBaseName(const std::string& path);

}  // namespace ulvo
