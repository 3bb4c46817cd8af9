#pragma once

#include <memory>

#include "Krellbinder.h"

// A plug-in object released as a host releases it.
struct PluginDeleter
{
  void operator()(Krellbinder* plugin) const { plugin->release(); }
};
using PluginPtr = std::unique_ptr<Krellbinder, PluginDeleter>;

inline PluginPtr MakePlugin() { return PluginPtr(new Krellbinder(InstanceInfo())); }
