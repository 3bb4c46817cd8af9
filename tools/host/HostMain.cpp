// krbhost: the command-line VST3 host (see HostCli.h).
#include "CommandLine.h"
#include "HostCli.h"

#include <iostream>

int main(int argc, char** argv)
{
  return krb::host::RunCli(krb::host::CommandLineUtf8(argc, argv), std::cout, std::cerr);
}
