#pragma once

#include <functional>
#include <memory>

// A repeating timer that calls its function on the main thread.
//
// On Windows it is a real system timer on the thread that creates it. On Linux the host reaches the
// plug-in's main thread only through the run loop that it lends an open editor, so there the timer
// does not run by itself: the editor's run loop drives Tick(), and a plug-in that needs its idle work
// done at a given moment (such as just before its editor opens) calls Tick() itself.
class IdleTimer
{
public:
  static std::unique_ptr<IdleTimer> Create(std::function<void()> onTick, int intervalMs);
  virtual ~IdleTimer() = default;

  // True when the platform runs the timer without help from an editor's run loop.
  virtual bool RunsByItself() const = 0;
  void Tick()
  {
    if (mOnTick)
      mOnTick();
  }
  int GetIntervalMs() const { return mIntervalMs; }

protected:
  IdleTimer(std::function<void()> onTick, int intervalMs) : mOnTick(std::move(onTick)), mIntervalMs(intervalMs) {}

private:
  std::function<void()> mOnTick;
  int mIntervalMs;
};
