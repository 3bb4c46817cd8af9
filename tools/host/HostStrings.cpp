#include "HostStrings.h"

#include <cctype>
#include <cstring>

namespace krb::host
{

std::string Utf16ToUtf8(const Steinberg::char16* text, std::size_t maxLength)
{
  std::string out;
  if (text == nullptr)
    return out;
  for (std::size_t i = 0; i < maxLength && text[i] != 0; ++i)
  {
    char32_t code = static_cast<char16_t>(text[i]);
    if (code >= 0xD800 && code < 0xDC00 && i + 1 < maxLength)
    {
      const char32_t low = static_cast<char16_t>(text[i + 1]);
      if (low >= 0xDC00 && low < 0xE000)
      {
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if (code < 0x80)
      out += static_cast<char>(code);
    else if (code < 0x800)
    {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
    else if (code < 0x10000)
    {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
    else
    {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

std::u16string Utf8ToUtf16(const std::string& text)
{
  std::u16string out;
  std::size_t i = 0;
  while (i < text.size())
  {
    const auto byte = static_cast<unsigned char>(text[i]);
    char32_t code = 0xFFFD;
    std::size_t length = 1;
    if (byte < 0x80)
      code = byte;
    else if ((byte & 0xE0) == 0xC0)
    {
      length = 2;
      code = byte & 0x1F;
    }
    else if ((byte & 0xF0) == 0xE0)
    {
      length = 3;
      code = byte & 0x0F;
    }
    else if ((byte & 0xF8) == 0xF0)
    {
      length = 4;
      code = byte & 0x07;
    }
    if (length > 1)
    {
      if (i + length > text.size())
      {
        code = 0xFFFD;
        length = text.size() - i;
      }
      else
      {
        for (std::size_t k = 1; k < length; ++k)
        {
          const auto next = static_cast<unsigned char>(text[i + k]);
          if ((next & 0xC0) != 0x80)
          {
            code = 0xFFFD;
            length = k;
            break;
          }
          code = (code << 6) | (next & 0x3F);
        }
      }
    }
    i += length;
    if (code >= 0x10000 && code < 0x110000)
    {
      code -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (code >> 10));
      out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    }
    else
      out += static_cast<char16_t>(code < 0x110000 ? code : 0xFFFD);
  }
  return out;
}

std::string FixedToString(const char* text, std::size_t maxLength)
{
  std::size_t length = 0;
  while (length < maxLength && text[length] != 0)
    ++length;
  return std::string(text, length);
}

void CopyToString128(const std::string& text, Steinberg::Vst::String128 out)
{
  const std::u16string wide = Utf8ToUtf16(text);
  const std::size_t length = wide.size() < 127 ? wide.size() : 127;
  for (std::size_t i = 0; i < length; ++i)
    out[i] = static_cast<Steinberg::char16>(wide[i]);
  out[length] = 0;
}

std::string CidToHex(const Steinberg::TUID cid)
{
  char text[33] = {};
  Steinberg::FUID::fromTUID(cid).toString(text);
  std::string hex(text);
  for (char& c : hex)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return hex;
}

bool HexToCid(const std::string& hex, Steinberg::TUID out)
{
  if (hex.size() != 32)
    return false;
  for (const char c : hex)
    if (!std::isxdigit(static_cast<unsigned char>(c)))
      return false;
  Steinberg::FUID fuid;
  if (!fuid.fromString(hex.c_str()))
    return false;
  fuid.toTUID(out);
  return true;
}

std::filesystem::path PathFromUtf8(const std::string& text)
{
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string PathToUtf8(const std::filesystem::path& path)
{
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

} // namespace krb::host
