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
  HRSRC found = FindResourceW(instance_, MAKEINTRESOURCEW(id), type);
  HGLOBAL loaded = found != nullptr ? LoadResource(instance_, found) : nullptr;
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr) return {};
  return {static_cast<const uint8_t*>(data), SizeofResource(instance_, found)};
}

std::string Win32Resources::StringResource(int id) {
  const wchar_t* text = nullptr;
  // With a zero buffer size the call hands out the resource's own read-only text.
  const int length =
      LoadStringW(instance_, static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return {};
  return Narrow(std::wstring(text, static_cast<size_t>(length)));
}

std::string Win32Resources::HostExecutablePath() {
  return ulvo::HostExecutablePath();
}

ProfileStore& Win32Resources::Profile() {
  if (profile_ == nullptr) profile_ = OpenUserProfileStore(FileBaseName(ulvo::ModuleFilePath()));
  return *profile_;
}

}  // namespace ulvo::win32
