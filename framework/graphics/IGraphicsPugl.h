#pragma once

#include "IGraphicsNanoVG.h"

struct PuglWorldImpl;
struct PuglViewImpl;

// The editor's window: a child window of the host's parent window with an OpenGL context, made with
// pugl (X11 and GLX on Linux, Win32 and WGL on Windows). Redraws are driven by ProcessEvents on
// Linux (the host's run loop) and by a window timer on Windows, at the view's frame rate, and only
// when something is dirty.
class IGraphicsPugl final : public IGraphicsNanoVG
{
public:
  IGraphicsPugl(IGEditorDelegate& dlg, int w, int h, int fps, float scale);
  ~IGraphicsPugl() override;

  bool OpenWindow(void* parent) override;
  void CloseWindow() override;
  void SetPlatformWindowSize(int widthPx, int heightPx) override;
  void* GetWindow() const override;
  void ProcessEvents() override;
  int GetEventFileDescriptor() const override;

  // One pugl event (a const PuglEvent*); returns a PuglStatus.
  int HandleEvent(const void* event);

private:
  void RedisplayIfDirty();

  PuglWorldImpl* mWorld = nullptr;
  PuglViewImpl* mView = nullptr;
  bool mButtonDown = false;
};
