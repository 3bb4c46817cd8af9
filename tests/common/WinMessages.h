#pragma once

// The Windows message loop of the calling thread, as a test runs it so that the timers and windows
// that the thread made get their messages (Windows only; header-only, needs user32).

#include <windows.h>

namespace krbtest
{
// Pumps this thread's messages until the predicate holds (true) or the time runs out (false).
template <typename Predicate>
bool PumpMessagesUntil(Predicate done, DWORD timeoutMs)
{
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (!done())
  {
    if (GetTickCount64() >= deadline)
      return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return true;
}

// Pumps this thread's messages for a while.
inline void PumpMessagesFor(DWORD milliseconds)
{
  PumpMessagesUntil([] { return false; }, milliseconds);
}
} // namespace krbtest
