#pragma once

#include <atomic>
#include <memory>

#include "../platform/IdleTimer.h"
#include "IPluginBase.h"

// The plug-in base that talks to a host API: it owns the 20 ms idle timer that calls OnIdle on the
// main thread.
class IPlugAPIBase : public IPluginBase
{
public:
  explicit IPlugAPIBase(const Config& config);
  ~IPlugAPIBase() override;

  // One idle tick: the values of a restore to the editor's controls, the plug-in's OnIdle, then
  // whatever the host is still to be told.
  void OnTimer();
  IdleTimer& GetIdleTimer() { return *mTimer; }

  // After a restore, on whatever thread the host restored on: the editor's controls take every
  // parameter's value at the next idle tick, on the thread that runs the editor.
  void OnRestoreState() override { mParamValuesRestored.store(true, std::memory_order_release); }

protected:
  // Main thread, at every idle tick: tells the host what had to wait for a moment when the host
  // may be called.
  virtual void SendPendingHostNotices() {}

private:
  std::unique_ptr<IdleTimer> mTimer;
  std::atomic<bool> mParamValuesRestored{false};
};
