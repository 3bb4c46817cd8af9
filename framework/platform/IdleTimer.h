#pragma once

#include <atomic>
#include <functional>
#include <memory>

// A repeating timer that calls its function on the main thread.
//
// On Windows it is a real system timer on the thread that creates it. On Linux the host reaches the
// plug-in's main thread only through a run loop of its own, so there the timer does not run by itself:
// a run loop that the host offers for the plug-in's whole life drives Tick() when there is one, else
// the run loop that the host lends an open editor; and a plug-in that needs its idle work done at a
// given moment (such as just before its editor opens) calls Tick() itself.
class IdleTimer
{
public:
  static std::unique_ptr<IdleTimer> Create(std::function<void()> onTick, int intervalMs);
  virtual ~IdleTimer() = default;

  // True when the platform runs the timer without help from a run loop of the host's.
  virtual bool RunsByItself() const = 0;
  // Set while a run loop that the host offers for the plug-in's whole life, not only for an open
  // editor, drives Tick().
  void SetDrivenByHost(bool driven) { mDrivenByHost.store(driven, std::memory_order_relaxed); }
  // True when the ticks come without an editor's help: by themselves or from the host's run loop.
  bool RunsWithoutEditor() const { return RunsByItself() || mDrivenByHost.load(std::memory_order_relaxed); }
  void Tick()
  {
    if (mOnTick)
      mOnTick();
  }
  int GetIntervalMs() const { return mIntervalMs; }

protected:
  IdleTimer(std::function<void()> onTick, int intervalMs)
    : mOnTick(std::move(onTick))
    , mIntervalMs(intervalMs)
  {
  }

private:
  std::function<void()> mOnTick;
  int mIntervalMs;
  std::atomic<bool> mDrivenByHost{false};
};
