#include "FolderListing.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide strings are UTF-16");

bool ListFolderEntries(const std::u16string& folder, char16_t separator, std::vector<std::u16string>& entries)
{
  entries.clear();
  const std::u16string pattern = folder + separator + u'*';
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileExW(reinterpret_cast<const wchar_t*>(pattern.c_str()), FindExInfoBasic, &data,
                                 FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_FILE_NOT_FOUND; // an empty drive root has not even "."
  bool ok = true;
  try
  {
    do
    {
      const std::u16string name(reinterpret_cast<const char16_t*>(data.cFileName));
      if (name != u"." && name != u"..")
        entries.push_back(folder + separator + name);
    } while (FindNextFileW(find, &data));
    ok = GetLastError() == ERROR_NO_MORE_FILES;
  }
  catch (...)
  {
    FindClose(find);
    throw;
  }
  FindClose(find);
  return ok;
}
