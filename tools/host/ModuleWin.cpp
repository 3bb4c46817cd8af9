#include "ModulePlatform.h"

#include <windows.h>

namespace krb::host::platform
{

namespace
{
using InitDllFunc = bool (*)();
using ExitDllFunc = bool (*)();

std::string LastErrorText()
{
  const DWORD code = GetLastError();
  wchar_t* buffer = nullptr;
  const DWORD length =
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text;
  if (length > 0 && buffer != nullptr)
  {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    text.resize(static_cast<size_t>(bytes));
    WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(length), text.data(), bytes, nullptr, nullptr);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
      text.pop_back();
  }
  if (buffer != nullptr)
    LocalFree(buffer);
  return "LoadLibrary failed with error " + std::to_string(code) + (text.empty() ? "" : ": " + text);
}
} // namespace

const char* BundleArchitecture() { return "x86_64-win"; }

const char* BundleBinarySuffix() { return ".vst3"; }

void* OpenLibrary(const std::filesystem::path& binary, std::string& error)
{
  HMODULE library = LoadLibraryW(binary.wstring().c_str());
  if (library == nullptr)
    error = LastErrorText();
  return reinterpret_cast<void*>(library);
}

void* FindSymbol(void* library, const char* name)
{
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void CloseLibrary(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

bool EnterModule(void* library, std::string& entryName, std::string& error)
{
  // InitDll is optional on Windows: a module without it needs no set-up.
  auto entry = reinterpret_cast<InitDllFunc>(FindSymbol(library, "InitDll"));
  if (entry == nullptr)
    return true;
  entryName = "InitDll";
  if (!entry())
  {
    error = "InitDll returned false";
    return false;
  }
  return true;
}

void ExitModule(void* library)
{
  if (auto exitFunc = reinterpret_cast<ExitDllFunc>(FindSymbol(library, "ExitDll")))
    exitFunc();
}

} // namespace krb::host::platform
