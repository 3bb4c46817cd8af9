#include <windows.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "HostEditor.h"

using namespace Steinberg;

namespace krb::host
{
namespace
{

using Clock = std::chrono::steady_clock;

// The host's side of the view: its frame, which resizes the host's window on request.
class Frame final : public IPlugFrame
{
public:
  std::function<void(IPlugView*, ViewRect*)> mOnResize;

  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
  {
    if (!obj)
      return kInvalidArgument;
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, IPlugFrame::iid))
    {
      addRef();
      *obj = static_cast<IPlugFrame*>(this);
      return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 PLUGIN_API addRef() override { return 2; }
  uint32 PLUGIN_API release() override { return 1; }

  tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* newSize) override
  {
    if (!view || !newSize)
      return kInvalidArgument;
    if (mOnResize)
      mOnResize(view, newSize);
    return kResultTrue;
  }
};

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  return DefWindowProcW(window, message, wParam, lParam);
}

class WinEditorWindow final : public EditorWindow
{
public:
  ~WinEditorWindow() override
  {
    if (mView)
    {
      if (mAttached)
        mView->removed();
      mView->setFrame(nullptr);
    }
    if (mWindow)
      DestroyWindow(mWindow);
    RunMessages();
  }

  bool Init(IPlugView* view, std::string& error)
  {
    mView = view;
    if (view->isPlatformTypeSupported(kPlatformTypeHWND) != kResultTrue)
    {
      error = "the editor does not support HWND embedding";
      return false;
    }
    ViewRect size;
    if (view->getSize(&size) != kResultOk || size.getWidth() <= 0 || size.getHeight() <= 0)
      size = ViewRect(0, 0, 640, 480);
    mWidth = size.getWidth();
    mHeight = size.getHeight();

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = HostWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = L"KrbHostEditorWindow";
    RegisterClassW(&windowClass); // fails harmlessly when already registered
    // A borderless window: its client area is the whole window, away from the screen's edges.
    mWindow = CreateWindowExW(0, windowClass.lpszClassName, L"krbhost editor", WS_POPUP | WS_CLIPCHILDREN, 100, 100,
                              mWidth, mHeight, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!mWindow)
    {
      error = "cannot create the host window";
      return false;
    }
    ShowWindow(mWindow, SW_SHOWNORMAL);
    UpdateWindow(mWindow);
    RunMessages();

    mFrame.mOnResize = [this](IPlugView* v, ViewRect* rect) {
      ++mResizeRequests;
      mWidth = rect->getWidth();
      mHeight = rect->getHeight();
      SetWindowPos(mWindow, nullptr, 0, 0, mWidth, mHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      v->onSize(rect);
    };
    view->setFrame(&mFrame);
    if (view->attached(mWindow, kPlatformTypeHWND) != kResultOk)
    {
      error = "the editor did not attach to the window";
      return false;
    }
    mAttached = true;
    return true;
  }

  void RunFor(int milliseconds) override
  {
    const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;)
    {
      RunMessages();
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
      if (left <= 0)
        break;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<long long>(left, 10)), QS_ALLINPUT);
    }
  }

  int Width() const override { return mWidth; }
  int Height() const override { return mHeight; }
  int ResizeRequests() const override { return mResizeRequests; }

  // What the screen shows where the window is (the editor's OpenGL child included).
  bool Capture(std::vector<uint8_t>& rgba, int& width, int& height) override
  {
    RECT rect;
    if (!GetWindowRect(mWindow, &rect))
      return false;
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
      return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap && bits)
    {
      HGDIOBJ old = SelectObject(memory, bitmap);
      ok = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != 0;
      GdiFlush();
      SelectObject(memory, old);
      if (ok)
      {
        const auto* bgra = static_cast<const uint8_t*>(bits);
        rgba.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
        for (size_t i = 0; i < rgba.size(); i += 4)
        {
          rgba[i] = bgra[i + 2];
          rgba[i + 1] = bgra[i + 1];
          rgba[i + 2] = bgra[i];
          rgba[i + 3] = 255;
        }
      }
    }
    if (bitmap)
      DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
  }

  void MovePointer(int x, int y) override
  {
    POINT point{x, y};
    ClientToScreen(mWindow, &point);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>(point.x * 65535 / std::max(1, GetSystemMetrics(SM_CXSCREEN) - 1));
    input.mi.dy = static_cast<LONG>(point.y * 65535 / std::max(1, GetSystemMetrics(SM_CYSCREEN) - 1));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof(input));
    RunFor(15);
  }
  void PressButton() override { SendButton(MOUSEEVENTF_LEFTDOWN); }
  void ReleaseButton() override { SendButton(MOUSEEVENTF_LEFTUP); }

private:
  void SendButton(DWORD flags)
  {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(input));
    RunFor(15);
  }

  static void RunMessages()
  {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
    {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

  HWND mWindow = nullptr;
  IPlugView* mView = nullptr;
  bool mAttached = false;
  Frame mFrame;
  int mWidth = 0;
  int mHeight = 0;
  int mResizeRequests = 0;
};

} // namespace

std::unique_ptr<EditorWindow> EditorWindow::Open(IPlugView* view, std::string& error, HostRunLoop* /*runLoop*/)
{
  if (!view)
  {
    error = "no editor view";
    return nullptr;
  }
  auto window = std::make_unique<WinEditorWindow>();
  if (!window->Init(view, error))
    return nullptr;
  return window;
}

} // namespace krb::host
