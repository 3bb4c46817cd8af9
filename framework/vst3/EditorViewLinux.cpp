#include <algorithm>
#include <atomic>

#include "../graphics/IGraphics.h"
#include "EditorViewPlatform.h"

using namespace Steinberg;

namespace
{
// A run-loop handler of its own reference count: the host may hold it a little longer than the
// editor, so it only calls its function while the editor is there.
template <class Interface>
class RunLoopHandler : public Interface
{
public:
  explicit RunLoopHandler(std::function<void()> func) : mFunc(std::move(func)) {}
  virtual ~RunLoopHandler() = default;

  void Disconnect() { mFunc = nullptr; }

  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
  {
    if (!obj)
      return kInvalidArgument;
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, Interface::iid))
    {
      addRef();
      *obj = static_cast<Interface*>(this);
      return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 PLUGIN_API addRef() override { return ++mRefCount; }
  uint32 PLUGIN_API release() override
  {
    const uint32 count = --mRefCount;
    if (count == 0)
      delete this;
    return count;
  }

protected:
  void Call()
  {
    if (mFunc)
      mFunc();
  }

private:
  std::atomic<uint32> mRefCount{1};
  std::function<void()> mFunc;
};

class EventHandler final : public RunLoopHandler<Linux::IEventHandler>
{
public:
  using RunLoopHandler::RunLoopHandler;
  void PLUGIN_API onFDIsSet(Linux::FileDescriptor /*fd*/) override { Call(); }
};

class TimerHandler final : public RunLoopHandler<Linux::ITimerHandler>
{
public:
  using RunLoopHandler::RunLoopHandler;
  void PLUGIN_API onTimer() override { Call(); }
};

// On Linux everything of the editor runs through the host's run loop: the X connection's file
// descriptor, a redraw timer at the view's frame rate, and the plug-in's 20 ms idle tick, which does
// not run by itself there.
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
      mEvents = new EventHandler([ui] { ui->ProcessEvents(); });
      if (mRunLoop->registerEventHandler(mEvents, fd) != kResultOk)
      {
        Stop();
        return false;
      }
    }
    const int frameMs = std::max(1, 1000 / std::max(graphics.FPS(), 1));
    mRedraw = new TimerHandler([ui] { ui->ProcessEvents(); });
    if (mRunLoop->registerTimer(mRedraw, static_cast<Linux::TimerInterval>(frameMs)) != kResultOk)
    {
      Stop();
      return false;
    }
    if (idleTick)
    {
      mIdle = new TimerHandler(std::move(idleTick));
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
    for (TimerHandler** timer : {&mRedraw, &mIdle})
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
  EventHandler* mEvents = nullptr;
  TimerHandler* mRedraw = nullptr;
  TimerHandler* mIdle = nullptr;
};
} // namespace

std::unique_ptr<EditorViewPlatform> EditorViewPlatform::Create()
{
  return std::make_unique<LinuxEditorViewPlatform>();
}

const char* EditorViewPlatform::PlatformType() { return kPlatformTypeX11EmbedWindowID; }
