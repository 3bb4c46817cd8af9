#include "EditorSettingsPath.h"

#include <windows.h>
#include <shlobj.h>

// The machine-wide application-data folder, shared by every user of the plug-in.
std::filesystem::path GetSettingsBaseFolder(std::error_code& error)
{
  wchar_t folder[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, folder, CSIDL_COMMON_APPDATA, FALSE) || folder[0] == L'\0')
  {
    error = std::make_error_code(std::errc::no_such_file_or_directory);
    return {};
  }
  error.clear();
  return std::filesystem::path(folder);
}
