#include <algorithm>

#include "../graphics/IGraphics.h"
#include "EditorViewPlatform.h"
#include "RunLoopHandlerLinux.h"

using namespace Steinberg;

namespace
{
// On Linux everything of the editor runs through the run loop that the host lends it: the X
// connection's file descriptor, a redraw timer at the view's frame rate, and the plug-in's 20 ms idle
// tick when no run loop of the host's drives that already.
class LinuxEditorViewPlatform final : public EditorViewPlatform
{
public:
  ~LinuxEditorViewPlatform() override { Stop(); }

  bool Prepare(IPlugFrame* frame) override
  {
    ReleaseRunLoop();
    if (!frame)
      return false;
    void* runLoop = nullptr;
    if (frame->queryInterface(Linux::IRunLoop::iid, &runLoop) != kResultOk || !runLoop)
      return false;
    mRunLoop = static_cast<Linux::IRunLoop*>(runLoop);
    return true;
  }

  float DefaultScreenScale(void* /*parent*/) const override { return 1.f; }

  bool Start(IGraphics& graphics, std::function<void()> idleTick, int idleMs) override
  {
    if (!mRunLoop)
      return false;
    IGraphics* ui = &graphics;
    const int fd = graphics.GetEventFileDescriptor();
    if (fd >= 0)
    {
      mEvents = new RunLoopEventHandler([ui] { ui->ProcessEvents(); });
      if (mRunLoop->registerEventHandler(mEvents, fd) != kResultOk)
      {
        Stop();
        return false;
      }
    }
    const int frameMs = std::max(1, 1000 / std::max(graphics.FPS(), 1));
    mRedraw = new RunLoopTimerHandler([ui] { ui->ProcessEvents(); });
    if (mRunLoop->registerTimer(mRedraw, static_cast<Linux::TimerInterval>(frameMs)) != kResultOk)
    {
      Stop();
      return false;
    }
    if (idleTick)
    {
      mIdle = new RunLoopTimerHandler(std::move(idleTick));
      if (mRunLoop->registerTimer(mIdle, static_cast<Linux::TimerInterval>(idleMs)) != kResultOk)
      {
        Stop();
        return false;
      }
    }
    return true;
  }

  void Stop() override
  {
    if (mEvents)
    {
      mEvents->Disconnect();
      if (mRunLoop)
        mRunLoop->unregisterEventHandler(mEvents);
      mEvents->release();
      mEvents = nullptr;
    }
    for (RunLoopTimerHandler** timer : {&mRedraw, &mIdle})
    {
      if (!*timer)
        continue;
      (*timer)->Disconnect();
      if (mRunLoop)
        mRunLoop->unregisterTimer(*timer);
      (*timer)->release();
      *timer = nullptr;
    }
    // The run loop belongs to the host's frame, which may go as soon as the view is removed.
    ReleaseRunLoop();
  }

private:
  void ReleaseRunLoop()
  {
    if (mRunLoop)
      mRunLoop->release();
    mRunLoop = nullptr;
  }

  Linux::IRunLoop* mRunLoop = nullptr;
  RunLoopEventHandler* mEvents = nullptr;
  RunLoopTimerHandler* mRedraw = nullptr;
  RunLoopTimerHandler* mIdle = nullptr;
};
} // namespace

std::unique_ptr<EditorViewPlatform> EditorViewPlatform::Create() { return std::make_unique<LinuxEditorViewPlatform>(); }

const char* EditorViewPlatform::PlatformType() { return kPlatformTypeX11EmbedWindowID; }
