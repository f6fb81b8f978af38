#include <windows.h>
// windows.h first: the shell header needs its types.
#include <shlobj.h>

#include "src/host/user_folder.h"

namespace ulvo {

std::filesystem::path PerUserFolder() {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) {
    return {};
  }
  return std::filesystem::path(folder) / L"UlvoFilter";
}

}  // namespace ulvo
