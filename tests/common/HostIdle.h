#pragma once

// The host's main thread at rest, as a test drives it, so that the plug-in's idle tick runs (needs
// krb_hostlib). On Linux the host context offers the plug-in the run loop that Run pumps, as several
// Linux hosts do; on Windows the plug-in's own timer ticks on the thread that made the plug-in, and Run
// pumps that thread's messages.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "HostModule.h"
#include "HostPlugin.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "HostRunLoop.h"
#endif

namespace krbtest
{
class HostIdle
{
public:
  // Loads the bundle, creates and initializes its one class on this thread, with the idle tick of this
  // thread; a failure fails the test (and gives null).
  std::unique_ptr<krb::host::HostPlugin> Open(const std::filesystem::path& bundle)
  {
    std::string error;
    auto module = krb::host::HostModule::Load(bundle, error);
    EXPECT_TRUE(module) << error;
    if (!module)
      return nullptr;
#ifndef _WIN32
    module->HostContext()->OfferRunLoop(mLoop.get());
#endif
    const krb::host::ClassInfo* info = module->FindClass("", error);
    EXPECT_TRUE(info) << error;
    if (!info)
      return nullptr;
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
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end)
    {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
      {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
#else
    mLoop->RunFor(milliseconds);
#endif
  }

private:
#ifndef _WIN32
  Steinberg::IPtr<krb::host::HostRunLoop> mLoop = Steinberg::owned(new krb::host::HostRunLoop);
#endif
};
} // namespace krbtest
