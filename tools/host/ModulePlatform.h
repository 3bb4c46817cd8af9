#pragma once
// What differs between platforms when loading a VST3 module: where the binary sits in the
// bundle, how a shared library is opened, and the module's entry and exit functions
// (Linux ModuleEntry/ModuleExit, Windows InitDll/ExitDll).

#include <filesystem>
#include <string>

namespace krb::host::platform
{

// The bundle's architecture folder name under Contents/.
const char* BundleArchitecture();

// The file name extension of the binary inside a bundle (".so", ".vst3").
const char* BundleBinarySuffix();

// The binary inside a bundle folder; a path to a plain file is taken as the binary itself.
std::filesystem::path BundleBinaryPath(const std::filesystem::path& bundle);

void* OpenLibrary(const std::filesystem::path& binary, std::string& error);
void* FindSymbol(void* library, const char* name);
void CloseLibrary(void* library);

// Calls the module's entry function. entryName receives the function called (empty when the
// platform allows none and there is none).
bool EnterModule(void* library, std::string& entryName, std::string& error);
void ExitModule(void* library);

} // namespace krb::host::platform
