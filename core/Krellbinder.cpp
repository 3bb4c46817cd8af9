#include "Krellbinder.h"

#include "KrellbinderConfig.h"

Krellbinder::Krellbinder(const InstanceInfo& info)
  : IPlugVST3(info, BuildPluginConfig())
{
  InitParams();
}

Krellbinder::~Krellbinder() = default;

bool Krellbinder::OnHostRequestingSupportedViewConfiguration(int /*width*/, int /*height*/) { return true; }
