#include "DebugOutput.h"

#include <cstdio>
#include <string>

namespace
{
// wchar_t is UTF-32 here: encode each code point as UTF-8.
std::string ToUtf8(const wchar_t* text)
{
  std::string out;
  for (const wchar_t* p = text; p && *p; ++p)
  {
    auto c = static_cast<unsigned long>(*p);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
      c = 0xFFFD;
    if (c < 0x80)
      out += static_cast<char>(c);
    else if (c < 0x800)
    {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else if (c < 0x10000)
    {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else
    {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
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
