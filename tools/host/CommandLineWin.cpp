#include "CommandLine.h"

#include <windows.h>

#include <shellapi.h>

namespace krb::host
{

std::vector<std::string> CommandLineUtf8(int argc, char** argv)
{
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr)
  {
    for (int i = 1; i < argc; ++i)
      args.emplace_back(argv[i]);
    return args;
  }
  for (int i = 1; i < count; ++i)
  {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string arg(bytes > 0 ? static_cast<size_t>(bytes - 1) : 0, '\0');
    if (bytes > 1)
      WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), bytes, nullptr, nullptr);
    args.push_back(std::move(arg));
  }
  LocalFree(wide);
  return args;
}

} // namespace krb::host
