#pragma once

#include <memory>

#include "Krellbinder.h"

// A plug-in object released as a host releases it (terminate does nothing when it was never
// initialised).
struct PluginDeleter
{
  void operator()(Krellbinder* plugin) const
  {
    plugin->terminate();
    plugin->release();
  }
};
using PluginPtr = std::unique_ptr<Krellbinder, PluginDeleter>;

// A new object, as the factory makes it.
inline PluginPtr MakePlugin() { return PluginPtr(new Krellbinder(InstanceInfo())); }

// A new object after the host's initialize: buses declared, every parameter reset.
inline PluginPtr MakeInitializedPlugin()
{
  PluginPtr plugin = MakePlugin();
  plugin->initialize(nullptr);
  return plugin;
}
