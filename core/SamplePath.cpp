#include "SamplePath.h"

size_t FindLastSeparator(std::u16string_view path) { return path.rfind(PathSeparator()); }

std::string GetSampleDisplayName(std::u16string path)
{
  const size_t separator = FindLastSeparator(path);
  const size_t start = separator == std::u16string::npos ? 0 : separator + 1;
  const size_t dot = path.rfind(u'.');
  // Only a full stop inside the file name ends the name; one in a folder name does not.
  const bool dotInName = dot != std::u16string::npos && (separator == std::u16string::npos || dot > separator);
  const size_t end = dotInName ? dot : path.size();
  return Utf16ToUtf8(std::u16string_view(path).substr(start, end > start ? end - start : 0));
}
