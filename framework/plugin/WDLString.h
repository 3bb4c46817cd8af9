#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

// Small growable text used by the framework's naming hooks.
class WDL_String
{
public:
  WDL_String() = default;
  explicit WDL_String(const char* text)
    : mText(text ? text : "")
  {
  }

  void Set(const char* text, int maxLength = 0)
  {
    mText = text ? text : "";
    if (maxLength > 0 && static_cast<int>(mText.size()) > maxLength)
      mText.resize(static_cast<size_t>(maxLength));
  }

  // printf-style set, cut to at most maxLength characters.
  void SetFormatted(int maxLength, const char* format, ...)
  {
    if (maxLength <= 0)
    {
      mText.clear();
      return;
    }
    std::string buffer(static_cast<size_t>(maxLength) + 1, '\0');
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    buffer.resize(written < 0 ? 0 : std::min<size_t>(static_cast<size_t>(written), static_cast<size_t>(maxLength)));
    mText = buffer;
  }

  const char* Get() const { return mText.c_str(); }
  int GetLength() const { return static_cast<int>(mText.size()); }

private:
  std::string mText;
};
