#include "HostRunLoopTimer.h"

std::unique_ptr<HostRunLoopTimer> HostRunLoopTimer::Start(Steinberg::FUnknown& /*hostContext*/,
                                                          std::function<void()> /*tick*/, int /*intervalMs*/)
{
  // The host's message loop already runs the idle timer's window.
  return nullptr;
}
