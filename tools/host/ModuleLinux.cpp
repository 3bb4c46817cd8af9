#include "ModulePlatform.h"

#include <dlfcn.h>

namespace krb::host::platform
{

namespace
{
using ModuleEntryFunc = bool (*)(void*);
using ModuleExitFunc = bool (*)();
} // namespace

const char* BundleArchitecture() { return "x86_64-linux"; }

const char* BundleBinarySuffix() { return ".so"; }

void* OpenLibrary(const std::filesystem::path& binary, std::string& error)
{
  void* library = dlopen(binary.c_str(), RTLD_LAZY | RTLD_LOCAL);
  if (library == nullptr)
  {
    const char* message = dlerror();
    error = message != nullptr ? message : "dlopen failed";
  }
  return library;
}

void* FindSymbol(void* library, const char* name) { return dlsym(library, name); }

void CloseLibrary(void* library) { dlclose(library); }

bool EnterModule(void* library, std::string& entryName, std::string& error)
{
  auto entry = reinterpret_cast<ModuleEntryFunc>(FindSymbol(library, "ModuleEntry"));
  if (entry == nullptr)
  {
    error = "the module does not export ModuleEntry";
    return false;
  }
  entryName = "ModuleEntry";
  if (!entry(library))
  {
    error = "ModuleEntry returned false";
    return false;
  }
  return true;
}

void ExitModule(void* library)
{
  if (auto exitFunc = reinterpret_cast<ModuleExitFunc>(FindSymbol(library, "ModuleExit")))
    exitFunc();
}

} // namespace krb::host::platform
