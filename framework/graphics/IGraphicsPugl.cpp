#include "IGraphicsPugl.h"

#include <cmath>

#include "PuglPlatform.h"
// pugl declares its functions without C linkage of their own.
extern "C" {
#include "pugl/gl.h"
#include "pugl/pugl.h"
}

namespace
{
constexpr uintptr_t kRedrawTimer = 1;

PuglStatus OnPuglEvent(PuglView* view, const PuglEvent* event)
{
  auto* graphics = static_cast<IGraphicsPugl*>(puglGetHandle(view));
  return graphics ? static_cast<PuglStatus>(graphics->HandleEvent(event)) : PUGL_SUCCESS;
}

IMouseMod MouseMod(PuglMods state, bool left, bool right)
{
  IMouseMod mod;
  mod.L = left;
  mod.R = right;
  mod.S = (state & PUGL_MOD_SHIFT) != 0;
  mod.C = (state & PUGL_MOD_CTRL) != 0;
  mod.A = (state & PUGL_MOD_ALT) != 0;
  return mod;
}
} // namespace

IGraphics* MakeGraphics(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
{
  return new IGraphicsPugl(dlg, w, h, fps, scale);
}

IGraphicsPugl::IGraphicsPugl(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
  : IGraphicsNanoVG(dlg, w, h, fps, scale)
{
}

IGraphicsPugl::~IGraphicsPugl() { CloseWindow(); }

bool IGraphicsPugl::OpenWindow(void* parent)
{
  if (mView)
    return false;
  mWorld = puglNewWorld(PUGL_MODULE, 0);
  if (!mWorld)
    return false;
  puglSetClassName(mWorld, "KrbEditor");
  mView = puglNewView(mWorld);
  if (!mView)
  {
    CloseWindow();
    return false;
  }
  puglSetHandle(mView, this);
  puglSetBackend(mView, puglGlBackend());
  puglSetEventFunc(mView, OnPuglEvent);
  puglSetViewHint(mView, PUGL_USE_COMPAT_PROFILE, PUGL_TRUE);
  puglSetViewHint(mView, PUGL_CONTEXT_VERSION_MAJOR, 2);
  puglSetViewHint(mView, PUGL_CONTEXT_VERSION_MINOR, 0);
  puglSetViewHint(mView, PUGL_STENCIL_BITS, 8);
  puglSetViewHint(mView, PUGL_DOUBLE_BUFFER, PUGL_TRUE);
  // Frames come from the redraw timer; a swap must not wait for the screen on the host's thread.
  puglSetViewHint(mView, PUGL_SWAP_INTERVAL, 0);
  puglSetViewHint(mView, PUGL_RESIZABLE, PUGL_TRUE);
  if (parent)
    puglSetParentWindow(mView, reinterpret_cast<PuglNativeView>(parent));
  const PuglRect frame = {0, 0, static_cast<PuglSpan>(WindowWidth()), static_cast<PuglSpan>(WindowHeight())};
  puglSetSizeHint(mView, PUGL_DEFAULT_SIZE, frame.width, frame.height);
  puglSetFrame(mView, frame);
  if (puglRealize(mView) != PUGL_SUCCESS || !HasDrawContext())
  {
    CloseWindow();
    return false;
  }
  puglShow(mView);
  // Windows delivers this timer through the host's message loop; on Linux the host's run loop calls
  // ProcessEvents instead and pugl has no timers there.
  puglStartTimer(mView, kRedrawTimer, 1.0 / FPS());
  SetAllControlsDirty();
  return true;
}

void IGraphicsPugl::CloseWindow()
{
  if (mView)
  {
    puglStopTimer(mView, kRedrawTimer);
    // Freeing the view sends the destroy event with the OpenGL context current.
    puglFreeView(mView);
    mView = nullptr;
  }
  if (mWorld)
  {
    puglFreeWorld(mWorld);
    mWorld = nullptr;
  }
  mButtonDown = false;
}

void IGraphicsPugl::SetPlatformWindowSize(int widthPx, int heightPx)
{
  if (!mView || widthPx <= 0 || heightPx <= 0)
    return;
  const PuglRect frame = puglGetFrame(mView);
  if (frame.width != widthPx || frame.height != heightPx)
    puglSetSize(mView, static_cast<unsigned>(widthPx), static_cast<unsigned>(heightPx));
  SetAllControlsDirty();
}

void* IGraphicsPugl::GetWindow() const { return mView ? reinterpret_cast<void*>(puglGetNativeView(mView)) : nullptr; }

void IGraphicsPugl::ProcessEvents()
{
  if (mWorld)
    puglUpdate(mWorld, 0.0);
}

int IGraphicsPugl::GetEventFileDescriptor() const { return GetPuglConnectionFd(mWorld); }

void IGraphicsPugl::RedisplayIfDirty()
{
  if (mView && IsDirty())
    puglPostRedisplay(mView);
}

int IGraphicsPugl::HandleEvent(const void* eventPtr)
{
  const PuglEvent& event = *static_cast<const PuglEvent*>(eventPtr);
  const float scale = GetTotalScale();
  switch (event.type)
  {
    case PUGL_CREATE:
      if (!CreateDrawContext())
        return PUGL_CREATE_CONTEXT_FAILED;
      break;
    case PUGL_DESTROY:
      DestroyDrawContext();
      break;
    case PUGL_UPDATE:
    case PUGL_TIMER:
      RedisplayIfDirty();
      break;
    case PUGL_CONFIGURE:
      SetAllControlsDirty();
      break;
    case PUGL_EXPOSE:
    {
      const PuglRect frame = puglGetFrame(mView);
      DrawFrame(frame.width, frame.height);
      break;
    }
    case PUGL_BUTTON_PRESS:
      if (event.button.button == 0)
      {
        mButtonDown = true;
        OnMouseDown(static_cast<float>(event.button.x) / scale, static_cast<float>(event.button.y) / scale,
                    MouseMod(event.button.state, true, false));
        RedisplayIfDirty();
      }
      break;
    case PUGL_BUTTON_RELEASE:
      if (event.button.button == 0 && mButtonDown)
      {
        mButtonDown = false;
        OnMouseUp(static_cast<float>(event.button.x) / scale, static_cast<float>(event.button.y) / scale,
                  MouseMod(event.button.state, true, false));
        RedisplayIfDirty();
      }
      break;
    case PUGL_MOTION:
    {
      const float x = static_cast<float>(event.motion.x) / scale;
      const float y = static_cast<float>(event.motion.y) / scale;
      if (mButtonDown)
        OnMouseDrag(x, y, MouseMod(event.motion.state, true, false));
      else
        OnMouseOver(x, y, MouseMod(event.motion.state, false, false));
      break;
    }
    case PUGL_POINTER_OUT:
      if (!mButtonDown)
        OnMouseOut();
      break;
    default:
      break;
  }
  return PUGL_SUCCESS;
}
