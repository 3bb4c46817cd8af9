#pragma once

#include <atomic>
#include <functional>

#include "VST3Sdk.h"

// A handler that the plug-in registers with a host's Linux::IRunLoop, with a reference count of its
// own: the host may hold it a little longer than the plug-in needs it, so once disconnected it calls
// nothing any more.
template <class Interface>
class RunLoopHandler : public Interface
{
public:
  explicit RunLoopHandler(std::function<void()> func)
    : mFunc(std::move(func))
  {
  }
  virtual ~RunLoopHandler() = default;

  void Disconnect() { mFunc = nullptr; }

  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override
  {
    if (!obj)
      return Steinberg::kInvalidArgument;
    if (Steinberg::FUnknownPrivate::iidEqual(iid, Steinberg::FUnknown::iid) ||
        Steinberg::FUnknownPrivate::iidEqual(iid, Interface::iid))
    {
      addRef();
      *obj = static_cast<Interface*>(this);
      return Steinberg::kResultOk;
    }
    *obj = nullptr;
    return Steinberg::kNoInterface;
  }
  Steinberg::uint32 PLUGIN_API addRef() override { return ++mRefCount; }
  Steinberg::uint32 PLUGIN_API release() override
  {
    const Steinberg::uint32 count = --mRefCount;
    if (count == 0)
      delete this;
    return count;
  }

protected:
  void Call()
  {
    if (mFunc)
      mFunc();
  }

private:
  std::atomic<Steinberg::uint32> mRefCount{1};
  std::function<void()> mFunc;
};

class RunLoopEventHandler final : public RunLoopHandler<Steinberg::Linux::IEventHandler>
{
public:
  using RunLoopHandler::RunLoopHandler;
  void PLUGIN_API onFDIsSet(Steinberg::Linux::FileDescriptor /*fd*/) override { Call(); }
};

class RunLoopTimerHandler final : public RunLoopHandler<Steinberg::Linux::ITimerHandler>
{
public:
  using RunLoopHandler::RunLoopHandler;
  void PLUGIN_API onTimer() override { Call(); }
};
