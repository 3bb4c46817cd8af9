#include "SamplePath.h"

size_t FindLastSeparator(std::u16string_view path) { return path.rfind(PathSeparator()); }

std::string Utf16ToUtf8(std::u16string_view text)
{
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i)
  {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
    {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    else if (c >= 0xD800 && c <= 0xDFFF)
      c = 0xFFFD; // a lone surrogate has no code point of its own
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
