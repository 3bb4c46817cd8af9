#include "IPlugAPIBase.h"

IPlugAPIBase::IPlugAPIBase(const Config& config)
  : IPluginBase(config)
  , mTimer(IdleTimer::Create([this] { OnTimer(); }, kIdleTimerMs))
{
}

IPlugAPIBase::~IPlugAPIBase()
{
  // Stop the ticks before the rest of the plug-in goes.
  mTimer.reset();
}

void IPlugAPIBase::OnTimer()
{
  // Acquire pairs with OnRestoreState's release: the restored values are in the parameters.
  if (mParamValuesRestored.exchange(false, std::memory_order_acquire))
    SendCurrentParamValuesFromDelegate();
  OnIdle();
  SendPendingHostNotices();
}
