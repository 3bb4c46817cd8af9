#include "SampleDialog.h"

std::u16string gSampleDialogPath;

std::u16string SampleDialogStartFolder(const std::u16string& path, char16_t separator)
{
  const size_t last = path.rfind(separator);
  if (last == std::u16string::npos)
    return path;
  return path.substr(0, last);
}
