#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <dlfcn.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "HostEditor.h"
#include "HostRunLoop.h"
#include "pluginterfaces/base/smartpointer.h"

using namespace Steinberg;

namespace krb::host
{
namespace
{

using Clock = std::chrono::steady_clock;

// Mesa's GLX loads the screen's GL driver for each display that uses it and unloads the driver when the
// last such display closes. The driver keeps an executable-memory heap in its own globals that it never
// frees (a 10 MiB mapping plus its bookkeeping), so an editor that opens and closes its own display
// loaded the driver anew each time and left one more heap behind, unreachable once the driver was gone
// (LeakSanitizer cannot even name its module then). A long-lived host has GL loaded for its whole life:
// this host does the same with a display of its own on which GLX stays set up until the process ends, so
// the driver is loaded once and the editors' displays share it.
// Never closed, not even at exit: that would unload the driver before a leak checker looks at the heap.
Display* gGlDisplay = nullptr;

void KeepGlDriverLoaded()
{
  static const bool kept = [] {
    // The library the editors' GL goes through; never closed either.
    void* glx = dlopen("libGLX.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!glx)
      return false;
    using GetFbConfigs = void** (*)(Display*, int, int*);
    const auto getFbConfigs = reinterpret_cast<GetFbConfigs>(dlsym(glx, "glXGetFBConfigs"));
    if (!getFbConfigs)
      return false;
    gGlDisplay = XOpenDisplay(nullptr);
    if (!gGlDisplay)
      return false;
    // Asking the screen for its frame buffer configurations is what makes GLX load its driver.
    int count = 0;
    if (void** configs = getFbConfigs(gGlDisplay, DefaultScreen(gGlDisplay), &count))
      XFree(configs);
    return true;
  }();
  static_cast<void>(kept);
}

// The host's side of the view: its frame (resize requests), which lends the view the host's run loop.
class Frame final : public IPlugFrame
{
public:
  std::function<void(IPlugView*, ViewRect*)> mOnResize;
  IPtr<HostRunLoop> mRunLoop;

  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
  {
    if (!obj)
      return kInvalidArgument;
    if (FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid) && mRunLoop)
      return mRunLoop->queryInterface(iid, obj);
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, IPlugFrame::iid))
    {
      addRef();
      *obj = static_cast<IPlugFrame*>(this);
      return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
  }
  // Owned by the window.
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

class LinuxEditorWindow final : public EditorWindow
{
public:
  ~LinuxEditorWindow() override
  {
    if (mView)
    {
      if (mAttached)
        mView->removed();
      mView->setFrame(nullptr);
    }
    if (mDisplay)
    {
      if (mWindow)
        XDestroyWindow(mDisplay, mWindow);
      XCloseDisplay(mDisplay);
    }
  }

  bool Init(IPlugView* view, HostRunLoop* runLoop, std::string& error)
  {
    mView = view;
    mFrame.mRunLoop = runLoop ? IPtr<HostRunLoop>(runLoop) : owned(new HostRunLoop);
    if (view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID) != kResultTrue)
    {
      error = "the editor does not support X11 embedding";
      return false;
    }
    mDisplay = XOpenDisplay(nullptr);
    if (!mDisplay)
    {
      error = "cannot open the X display (is DISPLAY set?)";
      return false;
    }
    KeepGlDriverLoaded();
    ViewRect size;
    if (view->getSize(&size) != kResultOk || size.getWidth() <= 0 || size.getHeight() <= 0)
      size = ViewRect(0, 0, 640, 480);
    mWidth = size.getWidth();
    mHeight = size.getHeight();
    const int screen = DefaultScreen(mDisplay);
    // Away from the screen's edges, so that pointer movements around the window are not cut short.
    mWindow = XCreateSimpleWindow(mDisplay, RootWindow(mDisplay, screen), 100, 100, static_cast<unsigned>(mWidth),
                                  static_cast<unsigned>(mHeight), 0, BlackPixel(mDisplay, screen),
                                  BlackPixel(mDisplay, screen));
    XStoreName(mDisplay, mWindow, "krbhost editor");
    XSelectInput(mDisplay, mWindow, StructureNotifyMask);
    XMapWindow(mDisplay, mWindow);
    XSync(mDisplay, False);
    WaitForMap();

    mFrame.mOnResize = [this](IPlugView* v, ViewRect* rect) {
      ++mResizeRequests;
      mWidth = rect->getWidth();
      mHeight = rect->getHeight();
      XResizeWindow(mDisplay, mWindow, static_cast<unsigned>(mWidth), static_cast<unsigned>(mHeight));
      XSync(mDisplay, False);
      v->onSize(rect);
    };
    view->setFrame(&mFrame);
    if (view->attached(reinterpret_cast<void*>(mWindow), kPlatformTypeX11EmbedWindowID) != kResultOk)
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
    do
    {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
      mFrame.mRunLoop->RunOnce(ConnectionNumber(mDisplay),
                               std::max(std::chrono::milliseconds(0), std::min(left, std::chrono::milliseconds(10))));
      DrainOwnEvents();
    } while (Clock::now() < end);
  }

  int Width() const override { return mWidth; }
  int Height() const override { return mHeight; }
  int ResizeRequests() const override { return mResizeRequests; }

  bool Capture(std::vector<uint8_t>& rgba, int& width, int& height) override
  {
    XSync(mDisplay, False);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(mDisplay, mWindow, &attributes))
      return false;
    width = attributes.width;
    height = attributes.height;
    XImage* image = XGetImage(mDisplay, mWindow, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    if (!image)
      return false;
    rgba.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 255);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
      {
        const unsigned long pixel = XGetPixel(image, x, y);
        uint8_t* out = &rgba[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4];
        out[0] = Channel(pixel, image->red_mask);
        out[1] = Channel(pixel, image->green_mask);
        out[2] = Channel(pixel, image->blue_mask);
      }
    XDestroyImage(image);
    return true;
  }

  void MovePointer(int x, int y) override
  {
    int rootX = 0;
    int rootY = 0;
    Window child = 0;
    XTranslateCoordinates(mDisplay, mWindow, DefaultRootWindow(mDisplay), x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(mDisplay, -1, rootX, rootY, CurrentTime);
    XFlush(mDisplay);
    RunFor(15);
  }
  void PressButton() override
  {
    XTestFakeButtonEvent(mDisplay, 1, True, CurrentTime);
    XFlush(mDisplay);
    RunFor(15);
  }
  void ReleaseButton() override
  {
    XTestFakeButtonEvent(mDisplay, 1, False, CurrentTime);
    XFlush(mDisplay);
    RunFor(15);
  }

private:
  static uint8_t Channel(unsigned long pixel, unsigned long mask)
  {
    if (!mask)
      return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
      ++shift;
    const unsigned long max = mask >> shift;
    return static_cast<uint8_t>(((pixel & mask) >> shift) * 255 / max);
  }

  void WaitForMap()
  {
    const auto end = Clock::now() + std::chrono::seconds(2);
    while (Clock::now() < end)
    {
      XEvent event;
      if (XCheckTypedWindowEvent(mDisplay, mWindow, MapNotify, &event))
        return;
      pollfd fd{ConnectionNumber(mDisplay), POLLIN, 0};
      poll(&fd, 1, 10);
    }
  }

  void DrainOwnEvents()
  {
    while (XPending(mDisplay) > 0)
    {
      XEvent event;
      XNextEvent(mDisplay, &event);
    }
  }

  Display* mDisplay = nullptr;
  Window mWindow = 0;
  IPlugView* mView = nullptr;
  bool mAttached = false;
  Frame mFrame;
  int mWidth = 0;
  int mHeight = 0;
  int mResizeRequests = 0;
};

} // namespace

std::unique_ptr<EditorWindow> EditorWindow::Open(IPlugView* view, std::string& error, HostRunLoop* runLoop)
{
  if (!view)
  {
    error = "no editor view";
    return nullptr;
  }
  auto window = std::make_unique<LinuxEditorWindow>();
  if (!window->Init(view, runLoop, error))
    return nullptr;
  return window;
}

} // namespace krb::host
