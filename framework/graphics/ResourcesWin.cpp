#include <windows.h>

#include <string>

#include "IGraphicsResources.h"

namespace
{
HMODULE ThisLibrary()
{
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisLibrary), &module);
  return module;
}

std::wstring UpperCased(const char* text)
{
  std::wstring result;
  for (const char* c = text; *c; ++c)
  {
    const char ch = *c;
    result.push_back(static_cast<wchar_t>(ch >= 'a' && ch <= 'z' ? ch - 'a' + 'A' : static_cast<unsigned char>(ch)));
  }
  return result;
}
} // namespace

// The library stores each resource under its upper-cased file name, with the type PNG or TTF.
bool FindLibraryResource(const char* fileName, const char* type, void* winModule, ResourceBytes& out)
{
  if (!fileName || !type)
    return false;
  HMODULE module = winModule ? static_cast<HMODULE>(winModule) : ThisLibrary();
  const std::wstring name = UpperCased(fileName);
  const std::wstring typeName = UpperCased(type);
  HRSRC info = FindResourceW(module, name.c_str(), typeName.c_str());
  if (!info)
    return false;
  HGLOBAL handle = LoadResource(module, info);
  const void* data = handle ? LockResource(handle) : nullptr;
  if (!data)
    return false;
  out.data = static_cast<const unsigned char*>(data);
  out.size = SizeofResource(module, info);
  return true;
}
