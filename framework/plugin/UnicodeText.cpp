#include "UnicodeText.h"

namespace
{
constexpr char32_t kReplacement = 0xFFFD;

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

void AppendUtf16(std::u16string& out, char32_t c)
{
  if (c >= 0x10000)
  {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  }
  else
    out += static_cast<char16_t>(c);
}

// Reads one code point at text[i] and moves i past it; false for an unpaired surrogate (which is
// then consumed alone).
bool NextUtf16(std::u16string_view text, size_t& i, char32_t& c)
{
  c = text[i++];
  if (c >= 0xD800 && c <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF)
  {
    c = 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00u);
    return true;
  }
  return !IsSurrogate(c);
}

// Reads one code point at text[i] and moves i past what it read; false for an invalid sequence.
bool NextUtf8(std::string_view text, size_t& i, char32_t& c)
{
  const auto lead = static_cast<unsigned char>(text[i++]);
  int extra = 0;
  char32_t min = 0;
  if (lead < 0x80)
  {
    c = lead;
    return true;
  }
  if ((lead & 0xE0) == 0xC0)
  {
    extra = 1;
    c = lead & 0x1F;
    min = 0x80;
  }
  else if ((lead & 0xF0) == 0xE0)
  {
    extra = 2;
    c = lead & 0x0F;
    min = 0x800;
  }
  else if ((lead & 0xF8) == 0xF0)
  {
    extra = 3;
    c = lead & 0x07;
    min = 0x10000;
  }
  else
    return false;
  for (; extra > 0; --extra)
  {
    if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
      return false;
    c = (c << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
  }
  return c >= min && c <= 0x10FFFF && !IsSurrogate(c);
}
} // namespace

void AppendUtf8(std::string& out, char32_t c)
{
  if (c > 0x10FFFF || IsSurrogate(c))
    c = kReplacement;
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

std::string Utf16ToUtf8(std::u16string_view text)
{
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();)
  {
    char32_t c = 0;
    AppendUtf8(out, NextUtf16(text, i, c) ? c : kReplacement);
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text)
{
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();)
  {
    char32_t c = 0;
    AppendUtf16(out, NextUtf8(text, i, c) ? c : kReplacement);
  }
  return out;
}

std::optional<std::string> Utf16ToUtf8Strict(std::u16string_view text)
{
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();)
  {
    char32_t c = 0;
    if (!NextUtf16(text, i, c) || c == 0)
      return std::nullopt;
    AppendUtf8(out, c);
  }
  return out;
}

std::optional<std::u16string> Utf8ToUtf16Strict(std::string_view text)
{
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();)
  {
    char32_t c = 0;
    if (!NextUtf8(text, i, c) || c == 0)
      return std::nullopt;
    AppendUtf16(out, c);
  }
  return out;
}
