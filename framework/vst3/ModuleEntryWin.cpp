#include "ModuleEntry.h"

#include "pluginterfaces/base/fplatform.h"

namespace
{
int gModuleEntryCount = 0;
}

int GetModuleEntryCount() { return gModuleEntryCount; }

extern "C" {
SMTG_EXPORT_SYMBOL bool InitDll()
{
  ++gModuleEntryCount;
  return true;
}

SMTG_EXPORT_SYMBOL bool ExitDll()
{
  if (gModuleEntryCount > 0)
    --gModuleEntryCount;
  return true;
}
}
