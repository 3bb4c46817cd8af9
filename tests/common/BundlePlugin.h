#pragma once

// The built bundle as a host opens it, and its state as a host saves it (needs krb_hostlib).

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "HostPlugin.h"

namespace krbtest
{
// Loads the bundle, creates and initializes its one class; a failure fails the test (and gives null).
inline std::unique_ptr<krb::host::HostPlugin> OpenBundle(const std::filesystem::path& bundle)
{
  std::string error;
  auto plugin = krb::host::HostPlugin::Open(bundle, "", error);
  EXPECT_TRUE(plugin) << error;
  return plugin;
}

// The plug-in's getState; a failure fails the test.
inline std::vector<uint8_t> SaveState(const krb::host::HostPlugin& plugin)
{
  std::vector<uint8_t> state;
  EXPECT_EQ(plugin.GetState(state), Steinberg::kResultOk);
  return state;
}
} // namespace krbtest
