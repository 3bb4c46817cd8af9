#include "HostRunLoopTimer.h"

#include "RunLoopHandlerLinux.h"

using namespace Steinberg;

namespace
{
class LinuxHostRunLoopTimer final : public HostRunLoopTimer
{
public:
  LinuxHostRunLoopTimer(Linux::IRunLoop* runLoop, RunLoopTimerHandler* handler)
    : mRunLoop(runLoop)
    , mHandler(handler)
  {
  }

  ~LinuxHostRunLoopTimer() override
  {
    // The loop may keep the handler a little longer: it must not reach the plug-in from then on.
    mHandler->Disconnect();
    mRunLoop->unregisterTimer(mHandler);
    mHandler->release();
    mRunLoop->release();
  }

private:
  Linux::IRunLoop* mRunLoop;
  RunLoopTimerHandler* mHandler;
};
} // namespace

std::unique_ptr<HostRunLoopTimer> HostRunLoopTimer::Start(FUnknown& hostContext, std::function<void()> tick,
                                                          int intervalMs)
{
  void* obj = nullptr;
  if (hostContext.queryInterface(Linux::IRunLoop::iid, &obj) != kResultOk || !obj)
    return nullptr;
  auto* runLoop = static_cast<Linux::IRunLoop*>(obj);
  auto* handler = new RunLoopTimerHandler(std::move(tick));
  if (runLoop->registerTimer(handler, static_cast<Linux::TimerInterval>(intervalMs)) != kResultOk)
  {
    handler->release();
    runLoop->release();
    return nullptr;
  }
  return std::make_unique<LinuxHostRunLoopTimer>(runLoop, handler);
}
