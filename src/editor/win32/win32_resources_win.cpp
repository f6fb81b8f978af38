#include <cstring>

#include "src/editor/editor.h"
#include "src/editor/win32/win32_resources.h"
#include "src/win32/text_convert.h"

namespace ulvo::win32 {

HINSTANCE ModuleInstance() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ModuleInstance), &module);
  return module;
}

std::span<const uint8_t> Win32Resources::Bytes(int id, LPCWSTR type) const {
  const WORD language = language_ == UiLanguage::kEnglish
                            ? MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)
                            : MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
  HRSRC found = FindResourceExW(instance_, type, MAKEINTRESOURCEW(id), language);
  if (found == nullptr) found = FindResourceW(instance_, MAKEINTRESOURCEW(id), type);
  HGLOBAL loaded = found != nullptr ? LoadResource(instance_, found) : nullptr;
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr) return {};
  return {static_cast<const uint8_t*>(data), SizeofResource(instance_, found)};
}

HMENU Win32Resources::Menu(int id) const {
  const auto bytes = Bytes(id, RT_MENU);
  return bytes.empty() ? nullptr : LoadMenuIndirectW(bytes.data());
}

const DLGTEMPLATE* Win32Resources::DialogTemplate(int id) const {
  const auto bytes = Bytes(id, RT_DIALOG);
  return bytes.size() < sizeof(DLGTEMPLATE) ? nullptr
                                            : reinterpret_cast<const DLGTEMPLATE*>(bytes.data());
}

// Strings come in blocks of 16, block id / 16 + 1; each entry is its length
// in UTF-16 units followed by the units, without a terminator.
std::string Win32Resources::StringResource(int id) {
  if (id < 0 || id > 0xFFFF) return {};
  const auto bytes = Bytes(id / 16 + 1, RT_STRING);
  const size_t units = bytes.size() / sizeof(wchar_t);
  std::wstring block(units, L'\0');
  std::memcpy(block.data(), bytes.data(), units * sizeof(wchar_t));
  size_t at = 0;
  for (int entry = 0; entry < 16 && at < units; ++entry) {
    const size_t length = static_cast<uint16_t>(block[at]);
    if (at + 1 + length > units) return {};
    if (entry == id % 16) return Narrow(block.substr(at + 1, length));
    at += 1 + length;
  }
  return {};
}

std::string Win32Resources::UserInterfaceLanguage() {
  wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
  const LCID locale = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
  if (LCIDToLocaleName(locale, name, LOCALE_NAME_MAX_LENGTH, 0) == 0) return {};
  return Narrow(name);
}

std::string Win32Resources::HostExecutablePath() {
  return ulvo::HostExecutablePath();
}

ProfileStore& Win32Resources::Profile() {
  if (profile_ == nullptr) profile_ = OpenUserProfileStore(FileBaseName(ulvo::ModuleFilePath()));
  return *profile_;
}

}  // namespace ulvo::win32
