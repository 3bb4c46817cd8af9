#include "FolderListing.h"

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "SamplePath.h"

namespace
{
// UTF-8 to UTF-16; a byte that starts no valid sequence becomes U+FFFD, so such an entry is listed
// (and fails to load) like any other entry that is no sample.
std::u16string NameToUtf16(const std::string& name)
{
  std::u16string out;
  out.reserve(name.size());
  const auto* p = reinterpret_cast<const unsigned char*>(name.data());
  const auto* end = p + name.size();
  while (p < end)
  {
    uint32_t c = *p;
    int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    uint32_t min = extra == 1 ? 0x80 : extra == 2 ? 0x800 : extra == 3 ? 0x10000 : 0;
    bool valid = extra >= 0 && end - p > extra;
    if (valid)
    {
      c = extra == 0 ? c : c & (0x3Fu >> extra);
      for (int k = 1; k <= extra && valid; ++k)
      {
        valid = (p[k] & 0xC0) == 0x80;
        c = (c << 6) | (p[k] & 0x3F);
      }
      valid = valid && c >= min && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
    }
    if (!valid)
    {
      out += u'\uFFFD';
      ++p;
      continue;
    }
    p += extra + 1;
    if (c >= 0x10000)
    {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
    else
      out += static_cast<char16_t>(c);
  }
  return out;
}
} // namespace

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

  // std::string compares its characters as unsigned bytes.
  std::sort(names.begin(), names.end());
  entries.reserve(names.size());
  for (const std::string& name : names)
    entries.push_back(folder + separator + NameToUtf16(name));
  return true;
}
