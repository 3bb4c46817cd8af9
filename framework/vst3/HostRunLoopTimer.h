#pragma once

#include <functional>
#include <memory>

#include "VST3Sdk.h"

// The plug-in's idle tick driven by a run loop that the host offers through its host context, for the
// plug-in's whole life rather than only while an editor is open. Several Linux hosts offer their main
// thread's Linux::IRunLoop there; Windows has no such loop, and its idle timer runs by itself.
class HostRunLoopTimer
{
public:
  // Registers tick every intervalMs milliseconds with the host context's run loop; nullptr when the
  // context offers none or the loop refuses the timer.
  static std::unique_ptr<HostRunLoopTimer> Start(Steinberg::FUnknown& hostContext, std::function<void()> tick,
                                                 int intervalMs);
  // Unregisters the timer and lets go of the run loop: nothing is called any more.
  virtual ~HostRunLoopTimer() = default;

protected:
  HostRunLoopTimer() = default;
};
