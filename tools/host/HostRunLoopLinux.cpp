#include "HostRunLoop.h"

#include <poll.h>

#include <algorithm>

using namespace Steinberg;

namespace krb::host
{

tresult PLUGIN_API HostRunLoop::registerEventHandler(Linux::IEventHandler* handler, Linux::FileDescriptor fd)
{
  if (!handler || fd < 0)
    return kInvalidArgument;
  handler->addRef();
  mHandlers.push_back({handler, fd});
  return kResultTrue;
}

tresult PLUGIN_API HostRunLoop::unregisterEventHandler(Linux::IEventHandler* handler)
{
  const auto it =
    std::find_if(mHandlers.begin(), mHandlers.end(), [&](const Handler& h) { return h.handler == handler; });
  if (it == mHandlers.end())
    return kInvalidArgument;
  it->handler->release();
  mHandlers.erase(it);
  return kResultTrue;
}

tresult PLUGIN_API HostRunLoop::registerTimer(Linux::ITimerHandler* handler, Linux::TimerInterval milliseconds)
{
  if (!handler || milliseconds == 0)
    return kInvalidArgument;
  handler->addRef();
  mTimers.push_back({handler, milliseconds, Clock::now() + std::chrono::milliseconds(milliseconds)});
  return kResultTrue;
}

tresult PLUGIN_API HostRunLoop::unregisterTimer(Linux::ITimerHandler* handler)
{
  const auto it = std::find_if(mTimers.begin(), mTimers.end(), [&](const Timer& t) { return t.handler == handler; });
  if (it == mTimers.end())
    return kInvalidArgument;
  it->handler->release();
  mTimers.erase(it);
  return kResultTrue;
}

void HostRunLoop::RunOnce(int extraFd, std::chrono::milliseconds maxWait)
{
  auto wait = maxWait;
  const auto now = Clock::now();
  for (const Timer& timer : mTimers)
    wait = std::min(
      wait, std::chrono::duration_cast<std::chrono::milliseconds>(std::max(timer.due - now, Clock::duration::zero())));
  std::vector<pollfd> fds;
  for (const Handler& h : mHandlers)
    fds.push_back({h.fd, POLLIN, 0});
  if (extraFd >= 0)
    fds.push_back({extraFd, POLLIN, 0});
  poll(fds.data(), fds.size(), static_cast<int>(wait.count()));
  // Handlers may unregister themselves or others while called: each is looked up again first.
  const std::vector<Handler> handlers = mHandlers;
  for (size_t i = 0; i < handlers.size(); ++i)
    if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) && IsRegistered(handlers[i].handler))
      handlers[i].handler->onFDIsSet(handlers[i].fd);
  const auto after = Clock::now();
  std::vector<Linux::ITimerHandler*> due;
  for (Timer& timer : mTimers)
    if (timer.due <= after)
    {
      due.push_back(timer.handler);
      timer.due = after + std::chrono::milliseconds(timer.interval);
    }
  for (Linux::ITimerHandler* handler : due)
    if (IsRegistered(handler))
      handler->onTimer();
}

void HostRunLoop::RunFor(int milliseconds)
{
  const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
  do
  {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
    RunOnce(-1, std::max(std::chrono::milliseconds(0), left));
  } while (Clock::now() < end);
}

std::vector<HostRunLoop::TimerInfo> HostRunLoop::Timers() const
{
  std::vector<TimerInfo> timers;
  for (const Timer& timer : mTimers)
    timers.push_back({timer.handler, timer.interval});
  return timers;
}

bool HostRunLoop::IsRegistered(Linux::IEventHandler* handler) const
{
  return std::any_of(mHandlers.begin(), mHandlers.end(), [&](const Handler& h) { return h.handler == handler; });
}

bool HostRunLoop::IsRegistered(Linux::ITimerHandler* handler) const
{
  return std::any_of(mTimers.begin(), mTimers.end(), [&](const Timer& t) { return t.handler == handler; });
}

} // namespace krb::host
