#pragma once

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

  // One idle tick: the plug-in's OnIdle, then whatever the host is still to be told.
  void OnTimer()
  {
    OnIdle();
    SendPendingHostNotices();
  }
  IdleTimer& GetIdleTimer() { return *mTimer; }

protected:
  // Main thread, at every idle tick: tells the host what had to wait for a moment when the host
  // may be called.
  virtual void SendPendingHostNotices() {}

private:
  std::unique_ptr<IdleTimer> mTimer;
};
