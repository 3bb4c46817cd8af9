// Runs a program through the shell, its output captured in files.
#include "HostTestSupport.h"
#include "TempFolder.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <sys/wait.h>

namespace krb::host::test
{

namespace
{
std::string ShellQuote(const std::string& text)
{
  std::string quoted = "'";
  for (const char c : text)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string ReadText(const std::filesystem::path& path)
{
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}
} // namespace

ProgramResult RunProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                         bool captureDebugOutput)
{
  krbtest::TempFolder dir;
  std::string command = ShellQuote(program.string());
  for (const std::string& arg : args)
    command += " " + ShellQuote(arg);
  command += " >" + ShellQuote((dir / "out.txt").string()) + " 2>" + ShellQuote((dir / "err.txt").string());
  const int status = std::system(command.c_str());
  ProgramResult result;
  result.mExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.mOut = ReadText(dir / "out.txt");
  result.mErr = ReadText(dir / "err.txt");
  // The debugger output is standard error here.
  if (captureDebugOutput)
    result.mDebug = result.mErr;
  return result;
}

} // namespace krb::host::test
