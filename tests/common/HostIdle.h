#pragma once

// The host's main thread at rest, as a test drives it, so that the plug-in's idle tick runs (needs
// krb_hostlib). On Linux the host context offers the plug-in the run loop that Run pumps, as several
// Linux hosts do; on Windows the plug-in's own timer ticks on the thread that made the plug-in, and Run
// pumps that thread's messages.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "HostModule.h"
#include "HostPlugin.h"

#ifdef _WIN32
#include "WinMessages.h"
#else
#include "HostRunLoop.h"
#endif

namespace krbtest
{
class HostIdle
{
public:
  // Loads the bundle, its host context offering the idle's run loop (Linux), and finds its one class;
  // a failure fails the test (and gives null).
  std::shared_ptr<krb::host::HostModule> Load(const std::filesystem::path& bundle, const krb::host::ClassInfo*& info)
  {
    std::string error;
    auto module = krb::host::HostModule::Load(bundle, error);
    EXPECT_TRUE(module) << error;
    if (!module)
      return nullptr;
#ifndef _WIN32
    module->HostContext()->OfferRunLoop(mLoop.get());
#endif
    info = module->FindClass("", error);
    EXPECT_TRUE(info) << error;
    return info ? module : nullptr;
  }

  // The bundle's one class, created and initialized on this thread with the idle tick of this thread;
  // a failure fails the test (and gives null).
  std::unique_ptr<krb::host::HostPlugin> Open(const std::filesystem::path& bundle)
  {
    const krb::host::ClassInfo* info = nullptr;
    auto module = Load(bundle, info);
    if (!module)
      return nullptr;
    std::string error;
    auto plugin = krb::host::HostPlugin::Create(module, *info, error);
    EXPECT_TRUE(plugin) << error;
    if (plugin && !plugin->Initialize(error))
    {
      ADD_FAILURE() << error;
      return nullptr;
    }
    return plugin;
  }

  // The host's main thread idles for a while: the plug-in's idle tick runs on it.
  void Run(int milliseconds)
  {
#ifdef _WIN32
    PumpMessagesFor(static_cast<DWORD>(milliseconds));
#else
    mLoop->RunFor(milliseconds);
#endif
  }

#ifndef _WIN32
  // The run loop of the host's main thread that the context offers.
  krb::host::HostRunLoop& Loop() const { return *mLoop; }

private:
  Steinberg::IPtr<krb::host::HostRunLoop> mLoop = Steinberg::owned(new krb::host::HostRunLoop);
#endif
};
} // namespace krbtest
