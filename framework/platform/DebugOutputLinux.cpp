#include "DebugOutput.h"

#include <cstdio>
#include <string>

#include "plugin/UnicodeText.h"

namespace
{
// wchar_t is UTF-32 here.
std::string ToUtf8(const wchar_t* text)
{
  std::string out;
  for (const wchar_t* p = text; p && *p; ++p)
    AppendUtf8(out, static_cast<char32_t>(*p));
  return out;
}
} // namespace

void OutputDebugText(const wchar_t* text) { OutputDebugText(ToUtf8(text).c_str()); }

void OutputDebugText(const char* utf8Text)
{
  if (!utf8Text)
    return;
  std::fputs(utf8Text, stderr);
  std::fflush(stderr);
}
