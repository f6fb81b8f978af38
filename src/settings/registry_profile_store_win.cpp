// On Windows the settings live in the current user's registry, under
// HKEY_CURRENT_USER\Software\UlvoSoft\<application>\UlvoFilter: integers as
// DWORD values, strings as REG_SZ values.
#include <windows.h>

#include <memory>
#include <string>
#include <type_traits>

#include "src/settings/profile_store.h"
#include "src/win32/text_convert.h"

namespace ulvo {
namespace {

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

class RegistryProfileStore : public ProfileStore {
 public:
  explicit RegistryProfileStore(const std::string& appName)
      : key_(win32::Widen(std::string("Software\\") + kProfileCompany + "\\" + appName + "\\" +
                          kProfileSection)) {}

  std::optional<int32_t> ReadInt(const std::string& name) const override {
    DWORD value = 0;
    DWORD size = sizeof(value);
    // Values of any other type fail the type restriction and count as missing.
    if (RegGetValueW(HKEY_CURRENT_USER, key_.c_str(), win32::Widen(name).c_str(), RRF_RT_REG_DWORD,
                     nullptr, &value, &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    return static_cast<int32_t>(value);
  }

  std::optional<std::string> ReadString(const std::string& name) const override {
    const std::wstring value_name = win32::Widen(name);
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key_.c_str(), value_name.c_str(), RRF_RT_REG_SZ, nullptr,
                     nullptr, &bytes) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    // A UTF-16 character never takes fewer UTF-8 bytes, so anything longer
    // than this is too long for the store whatever it holds.
    if (bytes > (kMaxProfileString + 1) * sizeof(wchar_t)) return std::nullopt;
    std::wstring wide(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = static_cast<DWORD>(wide.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, key_.c_str(), value_name.c_str(), RRF_RT_REG_SZ, nullptr,
                     wide.data(), &size) != ERROR_SUCCESS) {
      return std::nullopt;  // changed meanwhile
    }
    wide.resize(wcsnlen(wide.c_str(), wide.size()));
    std::string text = win32::Narrow(wide);
    if (text.size() > kMaxProfileString) return std::nullopt;
    return text;
  }

  bool WriteInt(const std::string& name, int32_t value) override {
    const DWORD word = static_cast<DWORD>(value);
    return Write(name, REG_DWORD, &word, sizeof(word));
  }

  bool WriteString(const std::string& name, const std::string& value) override {
    const std::wstring wide = win32::Widen(value);
    return Write(name, REG_SZ, wide.c_str(),
                 static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
  }

 private:
  bool Write(const std::string& name, DWORD type, const void* data, DWORD bytes) {
    HKEY opened = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &opened, nullptr) != ERROR_SUCCESS) {
      return false;
    }
    const UniqueKey key(opened);
    return RegSetValueExW(key.get(), win32::Widen(name).c_str(), 0, type,
                          static_cast<const BYTE*>(data), bytes) == ERROR_SUCCESS;
  }

  std::wstring key_;
};

}  // namespace

std::unique_ptr<ProfileStore> OpenUserProfileStore(const std::string& appName) {
  return std::make_unique<RegistryProfileStore>(appName);
}

}  // namespace ulvo
