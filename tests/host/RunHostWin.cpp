// Runs a program with CreateProcessW, its output captured in files and, when asked, its debugger
// output collected by this process as the program's debugger.
#include "HostTestSupport.h"
#include "TempFolder.h"

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <fstream>
#include <sstream>

namespace krb::host::test
{

namespace
{
std::wstring Widen(const std::string& utf8)
{
  if (utf8.empty())
    return {};
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

// Quotes one argument so that CommandLineToArgvW (and the C runtime) read it back unchanged.
std::wstring QuoteArgument(const std::wstring& arg)
{
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos)
    return arg;
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : arg)
  {
    if (c == L'\\')
    {
      ++backslashes;
      continue;
    }
    // Backslashes count double only before a quote, which itself needs one more.
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

HANDLE InheritableFile(const std::filesystem::path& path, bool write)
{
  SECURITY_ATTRIBUTES security{sizeof(security), nullptr, TRUE};
  return CreateFileW(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &security,
                     write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string ReadText(const std::filesystem::path& path)
{
  std::ifstream file(path); // text mode: the program's CRLF line ends come back as LF
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string Narrow(const std::wstring& wide)
{
  if (wide.empty())
    return {};
  const int length =
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length, nullptr, nullptr);
  return utf8;
}

// One text that the program gave OutputDebugString, read from its memory.
std::string ReadDebugString(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info)
{
  const std::size_t units = info.nDebugStringLength;
  if (units == 0)
    return {};
  SIZE_T read = 0;
  if (info.fUnicode)
  {
    std::wstring text(units, L'\0');
    if (!ReadProcessMemory(process, info.lpDebugStringData, text.data(), units * sizeof(wchar_t), &read))
      return {};
    text.resize(std::wcslen(text.c_str()));
    return Narrow(text);
  }
  std::string text(units, '\0');
  if (!ReadProcessMemory(process, info.lpDebugStringData, text.data(), units, &read))
    return {};
  text.resize(std::strlen(text.c_str()));
  return text;
}

// Serves the debug events of the started program until it ends, collecting its debugger output. The
// program's own exceptions go back to it unhandled, so it deals with them as it would alone.
std::string CollectDebugOutput(HANDLE process)
{
  std::string output;
  bool loaderBreakpoint = true;
  for (;;)
  {
    DEBUG_EVENT event{};
    if (!WaitForDebugEvent(&event, INFINITE))
      break;
    DWORD answer = DBG_CONTINUE;
    switch (event.dwDebugEventCode)
    {
      case CREATE_PROCESS_DEBUG_EVENT:
        if (event.u.CreateProcessInfo.hFile)
          CloseHandle(event.u.CreateProcessInfo.hFile);
        break;
      case LOAD_DLL_DEBUG_EVENT:
        if (event.u.LoadDll.hFile)
          CloseHandle(event.u.LoadDll.hFile);
        break;
      case OUTPUT_DEBUG_STRING_EVENT:
        output += ReadDebugString(process, event.u.DebugString);
        break;
      case EXCEPTION_DEBUG_EVENT:
        // The loader stops once at a breakpoint for its debugger; everything else is the program's.
        if (loaderBreakpoint && event.u.Exception.ExceptionRecord.ExceptionCode == EXCEPTION_BREAKPOINT)
          loaderBreakpoint = false;
        else
          answer = DBG_EXCEPTION_NOT_HANDLED;
        break;
      default:
        break;
    }
    const bool ended = event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT;
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, answer);
    if (ended)
      break;
  }
  return output;
}
} // namespace

ProgramResult RunProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                         bool captureDebugOutput)
{
  krbtest::TempFolder dir;
  std::wstring commandLine = QuoteArgument(program.wstring());
  for (const std::string& arg : args)
    commandLine += L" " + QuoteArgument(Widen(arg));

  ProgramResult result;
  const HANDLE input = InheritableFile(L"NUL", false);
  const HANDLE output = InheritableFile(dir / "out.txt", true);
  const HANDLE error = InheritableFile(dir / "err.txt", true);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = error;
  PROCESS_INFORMATION process{};
  if (output != INVALID_HANDLE_VALUE && error != INVALID_HANDLE_VALUE &&
      CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                     captureDebugOutput ? DEBUG_ONLY_THIS_PROCESS : 0, nullptr, nullptr, &startup, &process))
  {
    if (captureDebugOutput)
      result.mDebug = CollectDebugOutput(process.hProcess);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    if (GetExitCodeProcess(process.hProcess, &code))
      result.mExitCode = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  for (const HANDLE handle : {input, output, error})
    if (handle != INVALID_HANDLE_VALUE)
      CloseHandle(handle);
  result.mOut = ReadText(dir / "out.txt");
  result.mErr = ReadText(dir / "err.txt");
  return result;
}

} // namespace krb::host::test
