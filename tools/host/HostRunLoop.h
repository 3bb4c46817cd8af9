#pragma once
// The host's run loop on Linux (Linux::IRunLoop): the file descriptors and timers that a plug-in
// registers, called on the thread that pumps the loop. One loop stands for the host's main thread:
// the editor window's frame lends it to a view, and the host context offers it to the plug-ins of
// its module when the host turns that on (HostApplication::OfferRunLoop).

#include "HostObject.h"

#include "pluginterfaces/gui/iplugview.h"

#include <chrono>
#include <cstddef>
#include <vector>

namespace krb::host
{

class HostRunLoop : public HostObject<Steinberg::Linux::IRunLoop>
{
public:
  using Clock = std::chrono::steady_clock;

  // A registered timer as the loop sees it.
  struct TimerInfo
  {
    Steinberg::Linux::ITimerHandler* mHandler;
    Steinberg::Linux::TimerInterval mInterval;
  };

  // IRunLoop. The loop holds a reference to each registered handler until it is unregistered.
  Steinberg::tresult PLUGIN_API registerEventHandler(Steinberg::Linux::IEventHandler* handler,
                                                     Steinberg::Linux::FileDescriptor fd) override;
  Steinberg::tresult PLUGIN_API unregisterEventHandler(Steinberg::Linux::IEventHandler* handler) override;
  Steinberg::tresult PLUGIN_API registerTimer(Steinberg::Linux::ITimerHandler* handler,
                                              Steinberg::Linux::TimerInterval milliseconds) override;
  Steinberg::tresult PLUGIN_API unregisterTimer(Steinberg::Linux::ITimerHandler* handler) override;

  // One pass: waits for the registered file descriptors (and extraFd, when not negative) at most
  // until the next timer is due or maxWait has passed, then calls the handlers whose descriptor is
  // ready and the timers that are due.
  void RunOnce(int extraFd, std::chrono::milliseconds maxWait);
  // Passes until the time is up.
  void RunFor(int milliseconds);

  // What is registered: file-descriptor handlers and timers together, and the timers in the order
  // they were registered.
  std::size_t Registrations() const { return mHandlers.size() + mTimers.size(); }
  std::vector<TimerInfo> Timers() const;

private:
  struct Handler
  {
    Steinberg::Linux::IEventHandler* handler;
    int fd;
  };
  struct Timer
  {
    Steinberg::Linux::ITimerHandler* handler;
    Steinberg::Linux::TimerInterval interval;
    Clock::time_point due;
  };
  bool IsRegistered(Steinberg::Linux::IEventHandler* handler) const;
  bool IsRegistered(Steinberg::Linux::ITimerHandler* handler) const;

  std::vector<Handler> mHandlers;
  std::vector<Timer> mTimers;
};

} // namespace krb::host
