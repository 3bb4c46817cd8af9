#pragma once

// Helpers shared by the Windows-only tests.

#include <windows.h>

#include <string>

namespace krbtest
{
// True when the tests run under wine rather than on Windows itself. Used only to skip a check with a
// note where wine's behaviour differs from Windows'; the check stays for Windows.
inline bool IsRunningUnderWine()
{
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

inline std::wstring Widen(const std::string& utf8)
{
  if (utf8.empty())
    return {};
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

// The build passes file locations as the build machine writes them; a cross build on Linux gives
// absolute POSIX paths, which wine reaches through its Z: drive (the file system root).
inline std::wstring ToWindowsPath(const std::string& buildPath)
{
  std::wstring path = Widen(buildPath);
  if (!path.empty() && path[0] == L'/')
    path = L"Z:" + path;
  for (wchar_t& c : path)
    if (c == L'/')
      c = L'\\';
  return path;
}

// The reference count of a COM object, read the only way COM offers: one AddRef and one Release.
inline ULONG RefCountOf(IUnknown* object)
{
  object->AddRef();
  return object->Release();
}
} // namespace krbtest
