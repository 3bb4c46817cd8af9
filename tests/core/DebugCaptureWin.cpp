#include "DebugCapture.h"

#include <windows.h>

namespace
{
// OutputDebugString reaches a debugger as a first-chance exception that carries the text; a vectored
// handler sees it too. Windows raises the wide form first and then, unless a debugger took it, the
// narrow one with the same text; wine raises only the narrow one.
constexpr DWORD kPrintWide = 0x4001000A; // DBG_PRINTEXCEPTION_WIDE_C

DWORD gThread = 0;
std::wstring gWide;
std::string gNarrow;

LONG CALLBACK Collect(EXCEPTION_POINTERS* info)
{
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  if (GetCurrentThreadId() != gThread || record->NumberParameters < 2)
    return EXCEPTION_CONTINUE_SEARCH;
  if (record->ExceptionCode == kPrintWide)
    gWide += reinterpret_cast<const wchar_t*>(record->ExceptionInformation[1]);
  else if (record->ExceptionCode == DBG_PRINTEXCEPTION_C)
    gNarrow += reinterpret_cast<const char*>(record->ExceptionInformation[1]);
  return EXCEPTION_CONTINUE_SEARCH;
}

std::string ToUtf8(const std::wstring& wide)
{
  if (wide.empty())
    return {};
  const int length =
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length, nullptr, nullptr);
  return utf8;
}
} // namespace

std::string CaptureDebugOutput(const std::function<void()>& run)
{
  gThread = GetCurrentThreadId();
  gWide.clear();
  gNarrow.clear();
  void* handler = AddVectoredExceptionHandler(1, Collect);
  run();
  if (handler)
    RemoveVectoredExceptionHandler(handler);
  gThread = 0;
  return gWide.empty() ? gNarrow : ToUtf8(gWide);
}
