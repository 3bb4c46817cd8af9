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

  // One idle tick: the plug-in's OnIdle.
  void OnTimer() { OnIdle(); }
  IdleTimer& GetIdleTimer() { return *mTimer; }

private:
  std::unique_ptr<IdleTimer> mTimer;
};
