#include "DebugOutput.h"

#include <windows.h>

#include <string>

void OutputDebugText(const wchar_t* text)
{
  if (text)
    OutputDebugStringW(text);
}

void OutputDebugText(const char* utf8Text)
{
  if (!utf8Text)
    return;
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8Text, -1, nullptr, 0);
  if (length <= 0)
    return;
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8Text, -1, wide.data(), length);
  OutputDebugStringW(wide.c_str());
}
