#include "StringConvert.h"

#include <cstdint>

void Utf8ToString128(const char* text, Steinberg::Vst::TChar* field, int fieldUnits)
{
  if (fieldUnits <= 0)
    return;
  int out = 0;
  const auto* p = reinterpret_cast<const unsigned char*>(text ? text : "");
  while (*p && out < fieldUnits - 1)
  {
    uint32_t c = *p++;
    int extra = 0;
    if (c >= 0xF0) { c &= 0x07; extra = 3; }
    else if (c >= 0xE0) { c &= 0x0F; extra = 2; }
    else if (c >= 0xC0) { c &= 0x1F; extra = 1; }
    else if (c >= 0x80) { c = 0xFFFD; }
    for (; extra > 0 && (*p & 0xC0) == 0x80; --extra)
      c = (c << 6) | (*p++ & 0x3F);
    if (extra > 0)
      c = 0xFFFD;
    if (c >= 0x10000)
    {
      if (out + 2 > fieldUnits - 1)
        break;
      c -= 0x10000;
      field[out++] = static_cast<Steinberg::Vst::TChar>(0xD800 + (c >> 10));
      field[out++] = static_cast<Steinberg::Vst::TChar>(0xDC00 + (c & 0x3FF));
    }
    else
      field[out++] = static_cast<Steinberg::Vst::TChar>(c);
  }
  field[out] = 0;
}

std::string Utf16ToUtf8(const Steinberg::Vst::TChar* text)
{
  std::string result;
  for (const Steinberg::Vst::TChar* p = text; p && *p; ++p)
  {
    uint32_t c = static_cast<uint16_t>(*p);
    if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF)
    {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint16_t>(p[1]) - 0xDC00);
      ++p;
    }
    else if (c >= 0xD800 && c <= 0xDFFF)
      c = 0xFFFD;
    if (c < 0x80)
      result += static_cast<char>(c);
    else if (c < 0x800)
    {
      result += static_cast<char>(0xC0 | (c >> 6));
      result += static_cast<char>(0x80 | (c & 0x3F));
    }
    else if (c < 0x10000)
    {
      result += static_cast<char>(0xE0 | (c >> 12));
      result += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      result += static_cast<char>(0x80 | (c & 0x3F));
    }
    else
    {
      result += static_cast<char>(0xF0 | (c >> 18));
      result += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      result += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      result += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return result;
}
