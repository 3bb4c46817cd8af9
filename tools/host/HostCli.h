#pragma once
// The krbhost command line: "info" lists a bundle's factory, classes, buses and parameters;
// "render" plays notes and parameter changes through a plug-in into a WAV file, with state
// files in and out. Usable in-process by tests.

#include <iosfwd>
#include <string>
#include <vector>

namespace krb::host
{

enum ECliExit
{
  kExitOk = 0,
  kExitFailure = 1, // loading, a plug-in call or a file failed
  kExitUsage = 2    // the command line is wrong
};

// args: the arguments after the program name, in UTF-8.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

const char* CliHelpText();

} // namespace krb::host
