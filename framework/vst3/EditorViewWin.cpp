#include <windows.h>

#include "EditorViewPlatform.h"

namespace
{
// The window's messages, its redraw timer and the idle timer all arrive through the host's message loop.
class WinEditorViewPlatform final : public EditorViewPlatform
{
public:
  bool Prepare(Steinberg::IPlugFrame* /*frame*/) override { return true; }

  float DefaultScreenScale(void* parent) const override
  {
    using GetDpiForWindowFunc = UINT(WINAPI*)(HWND);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    auto getDpi =
      user32 ? reinterpret_cast<GetDpiForWindowFunc>(reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")))
             : nullptr;
    const UINT dpi = getDpi && parent ? getDpi(static_cast<HWND>(parent)) : 0;
    return dpi > 0 ? static_cast<float>(dpi) / 96.f : 1.f;
  }

  bool Start(IGraphics& /*graphics*/, std::function<void()> idleTick, int idleMs) override
  {
    // The idle timer of Windows runs by itself; should it not, the window drives it.
    if (idleTick)
    {
      mIdleTick = std::move(idleTick);
      sActive = this;
      mTimer = SetTimer(nullptr, 0, static_cast<UINT>(idleMs), &OnTimer);
    }
    return true;
  }

  void Stop() override
  {
    if (mTimer)
      KillTimer(nullptr, mTimer);
    mTimer = 0;
    if (sActive == this)
      sActive = nullptr;
    mIdleTick = nullptr;
  }

  ~WinEditorViewPlatform() override { Stop(); }

private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD)
  {
    if (sActive && sActive->mIdleTick)
      sActive->mIdleTick();
  }

  static inline WinEditorViewPlatform* sActive = nullptr;
  std::function<void()> mIdleTick;
  UINT_PTR mTimer = 0;
};
} // namespace

std::unique_ptr<EditorViewPlatform> EditorViewPlatform::Create() { return std::make_unique<WinEditorViewPlatform>(); }

const char* EditorViewPlatform::PlatformType() { return Steinberg::kPlatformTypeHWND; }
