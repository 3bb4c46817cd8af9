// Runs krbhost as a program with CreateProcessW, its output captured in files.
#include "HostTestSupport.h"
#include "TempFolder.h"

#include <windows.h>

#include <fstream>
#include <sstream>

namespace krb::host::test {

namespace {
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
} // namespace

ProgramResult RunHost(const std::vector<std::string>& args)
{
    krbtest::TempFolder dir;
    std::wstring commandLine = QuoteArgument(HostProgram().wstring());
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
        CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
    {
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
