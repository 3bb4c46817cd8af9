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
