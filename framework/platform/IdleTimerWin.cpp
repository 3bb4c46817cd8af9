#include "IdleTimer.h"

#include <windows.h>

namespace
{
const wchar_t* const kClassName = L"KrbIdleTimerWindow";

// The module (plug-in library or program) that holds this code. The window class belongs to it, not
// to the host program: a class outlives the library that registered it, and a library unloaded and
// loaded again at another address must not find a class whose window procedure points into its old
// image.
HINSTANCE ThisModule()
{
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

// A message-only window owns the timer, so that WM_TIMER reaches this object on the thread that made it.
class WindowsTimer final : public IdleTimer
{
public:
  WindowsTimer(std::function<void()> onTick, int intervalMs)
    : IdleTimer(std::move(onTick), intervalMs)
  {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = ThisModule();
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
      // Fails harmlessly while another timer's window still uses the class; the last one removes it,
      // so nothing of the library stays registered once its plug-ins are gone.
      UnregisterClassW(kClassName, ThisModule());
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
