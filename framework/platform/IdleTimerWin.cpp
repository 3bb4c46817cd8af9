#include "IdleTimer.h"

#include <windows.h>

namespace
{
// A message-only window owns the timer, so that WM_TIMER reaches this object on the thread that made it.
class WindowsTimer final : public IdleTimer
{
public:
  WindowsTimer(std::function<void()> onTick, int intervalMs) : IdleTimer(std::move(onTick), intervalMs)
  {
    static const wchar_t* kClassName = L"KrbIdleTimerWindow";
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassW(&windowClass); // fails harmlessly when already registered
    mWindow = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
    if (mWindow)
    {
      SetWindowLongPtrW(mWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
      SetTimer(mWindow, 1, static_cast<UINT>(intervalMs), nullptr);
    }
  }

  ~WindowsTimer() override
  {
    if (mWindow)
    {
      KillTimer(mWindow, 1);
      SetWindowLongPtrW(mWindow, GWLP_USERDATA, 0);
      DestroyWindow(mWindow);
    }
  }

  bool RunsByItself() const override { return mWindow != nullptr; }

private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
  {
    if (message == WM_TIMER)
    {
      if (auto* timer = reinterpret_cast<WindowsTimer*>(GetWindowLongPtrW(window, GWLP_USERDATA)))
        timer->Tick();
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  HWND mWindow = nullptr;
};
} // namespace

std::unique_ptr<IdleTimer> IdleTimer::Create(std::function<void()> onTick, int intervalMs)
{
  return std::unique_ptr<IdleTimer>(new WindowsTimer(std::move(onTick), intervalMs));
}
