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

// A fresh folder under the user's temporary folder, removed with everything in it at the end of scope.
class TempFolder
{
public:
  TempFolder()
  {
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, base);
    for (unsigned attempt = 0; attempt < 1000 && mPath.empty(); ++attempt)
    {
      std::wstring candidate = std::wstring(base) + L"krb-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                               std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(attempt);
      if (CreateDirectoryW(candidate.c_str(), nullptr))
        mPath = candidate;
    }
  }
  ~TempFolder() { RemoveTree(mPath); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::wstring& Path() const { return mPath; }
  bool Valid() const { return !mPath.empty(); }

  static void RemoveTree(const std::wstring& folder)
  {
    if (folder.empty())
      return;
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE)
    {
      do
      {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
          continue;
        const std::wstring child = folder + L"\\" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          RemoveTree(child);
        else
          DeleteFileW(child.c_str());
      } while (FindNextFileW(find, &entry));
      FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
  }

private:
  std::wstring mPath;
};

// The reference count of a COM object, read the only way COM offers: one AddRef and one Release.
inline ULONG RefCountOf(IUnknown* object)
{
  object->AddRef();
  return object->Release();
}
} // namespace krbtest
