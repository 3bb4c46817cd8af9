#include "StringConvert.h"

#include <algorithm>

#include "plugin/UnicodeText.h"

void Utf8ToString128(const char* text, Steinberg::Vst::TChar* field, int fieldUnits)
{
  if (fieldUnits <= 0)
    return;
  const std::u16string wide = Utf8ToUtf16(text ? text : "");
  size_t length = std::min(wide.size(), static_cast<size_t>(fieldUnits - 1));
  // A cut never separates the two halves of a surrogate pair.
  if (length > 0 && length < wide.size() && wide[length - 1] >= 0xD800 && wide[length - 1] <= 0xDBFF)
    --length;
  for (size_t i = 0; i < length; ++i)
    field[i] = static_cast<Steinberg::Vst::TChar>(wide[i]);
  field[length] = 0;
}

std::string Utf16ToUtf8(const Steinberg::Vst::TChar* text)
{
  std::u16string wide;
  for (const Steinberg::Vst::TChar* p = text; p && *p; ++p)
    wide += static_cast<char16_t>(*p);
  return Utf16ToUtf8(std::u16string_view(wide));
}
