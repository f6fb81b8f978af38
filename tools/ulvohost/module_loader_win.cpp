#include <windows.h>

#include <vector>

#include "tools/ulvohost/module_loader.h"
#include "tools/ulvohost/pipl.h"
#include "tools/ulvohost/text_win.h"

namespace ulvo::host {
namespace {

// The code property a host of this architecture looks for.
constexpr uint32_t kOwnCodeKey = sizeof(void*) == 8 ? PiplCode("8664") : PiplCode("wx86");

class WinModule final : public LoadedModule {
 public:
  WinModule(HMODULE handle, pi::EntryPointProc entry) : handle_(handle), entry_(entry) {}
  ~WinModule() override { FreeLibrary(handle_); }
  WinModule(const WinModule&) = delete;
  WinModule& operator=(const WinModule&) = delete;
  pi::EntryPointProc entry() const override { return entry_; }

 private:
  HMODULE handle_;
  pi::EntryPointProc entry_;
};

struct PiplResource {
  std::wstring name;  // "#123" for a numeric id
  WORD language = 0;
  std::vector<uint8_t> bytes;
};

struct Enumeration {
  std::vector<std::wstring> names;
  std::vector<WORD> languages;
};

std::wstring ResourceName(LPCWSTR name) {
  if (IS_INTRESOURCE(name)) {
    return L"#" + std::to_wstring(reinterpret_cast<uintptr_t>(name));
  }
  return name;
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR context) {
  reinterpret_cast<Enumeration*>(context)->names.push_back(ResourceName(name));
  return TRUE;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR context) {
  reinterpret_cast<Enumeration*>(context)->languages.push_back(language);
  return TRUE;
}

// Every PIPL resource of the module, whatever its id and language.
std::vector<PiplResource> ReadPiplResources(HMODULE module) {
  std::vector<PiplResource> found;
  Enumeration names;
  EnumResourceNamesW(module, L"PIPL", &CollectName, reinterpret_cast<LONG_PTR>(&names));
  for (const std::wstring& name : names.names) {
    Enumeration languages;
    EnumResourceLanguagesW(module, L"PIPL", name.c_str(), &CollectLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    for (WORD language : languages.languages) {
      HRSRC info = FindResourceExW(module, L"PIPL", name.c_str(), language);
      if (!info) continue;
      HGLOBAL loaded = LoadResource(module, info);
      const DWORD size = SizeofResource(module, info);
      const auto* bytes = static_cast<const uint8_t*>(loaded ? LockResource(loaded) : nullptr);
      if (!bytes) continue;
      found.push_back(PiplResource{name, language, std::vector<uint8_t>(bytes, bytes + size)});
    }
  }
  return found;
}

// A full path: a relative name would otherwise be searched for in the
// system folders first.
std::wstring FullPath(const std::string& path) {
  const std::wstring wide = Widen(path);
  std::wstring full(MAX_PATH * 4, L'\0');
  const DWORD n =
      GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  return n > 0 && n < full.size() ? full.substr(0, n) : wide;
}

}  // namespace

bool ModuleStillLoaded(const std::string& path) {
  HMODULE module = nullptr;
  return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, FullPath(path).c_str(),
                            &module) != 0;
}

std::unique_ptr<LoadedModule> LoadFilterModule(const std::string& path, std::string& error) {
  // The module's own folder resolves its imports.
  const std::wstring full = FullPath(path);
  HMODULE module = LoadLibraryExW(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) {
    error = "cannot load " + path + ": " + LastErrorText();
    return nullptr;
  }
  const std::vector<PiplResource> resources = ReadPiplResources(module);
  if (resources.empty()) {
    error = path + " has no PIPL resource";
    FreeLibrary(module);
    return nullptr;
  }
  // The first list that describes a filter for this architecture wins.
  std::string reasons;
  for (const PiplResource& resource : resources) {
    PiplList list;
    std::string why;
    std::string entryName;
    if (ParsePipl(resource.bytes.data(), resource.bytes.size(), list, why) &&
        FilterEntryName(list, kOwnCodeKey, entryName, why)) {
      FARPROC proc = GetProcAddress(module, entryName.c_str());
      if (proc) {
        return std::make_unique<WinModule>(
            module, reinterpret_cast<pi::EntryPointProc>(reinterpret_cast<void*>(proc)));
      }
      why = "the module exports no '" + entryName + "'";
    }
    reasons += (reasons.empty() ? "" : "; ") + std::string("PIPL ") + Narrow(resource.name) +
               " language " + std::to_string(resource.language) + ": " + why;
  }
  error = path + ": no usable filter description: " + reasons;
  FreeLibrary(module);
  return nullptr;
}

}  // namespace ulvo::host
