#include "FolderListing.h"

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "SamplePath.h"

bool ListFolderEntries(const std::u16string& folder, char16_t separator, std::vector<std::u16string>& entries)
{
  entries.clear();
  DIR* dir = opendir(Utf16ToUtf8(folder).c_str());
  if (!dir)
    return false;
  std::vector<std::string> names;
  bool ok = true;
  try
  {
    for (;;)
    {
      errno = 0;
      const dirent* entry = readdir(dir);
      if (!entry)
      {
        ok = errno == 0;
        break;
      }
      if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
        names.emplace_back(entry->d_name);
    }
  }
  catch (...)
  {
    closedir(dir);
    throw;
  }
  closedir(dir);
  if (!ok)
    return false;

  // std::string compares its characters as unsigned bytes. A name that is not valid UTF-8 is listed
  // with U+FFFD in its place (and fails to load like any other entry that is no sample).
  std::sort(names.begin(), names.end());
  entries.reserve(names.size());
  for (const std::string& name : names)
    entries.push_back(folder + separator + Utf8ToUtf16(name));
  return true;
}
