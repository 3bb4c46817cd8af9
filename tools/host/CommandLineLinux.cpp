#include "CommandLine.h"

namespace krb::host
{

std::vector<std::string> CommandLineUtf8(int argc, char** argv)
{
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i)
    args.emplace_back(argv[i]);
  return args;
}

} // namespace krb::host
