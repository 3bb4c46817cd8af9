#include "ModuleEntry.h"

#include "pluginterfaces/base/fplatform.h"

namespace
{
int gModuleEntryCount = 0;
}

int GetModuleEntryCount() { return gModuleEntryCount; }

extern "C" {
SMTG_EXPORT_SYMBOL bool ModuleEntry(void* /*sharedLibraryHandle*/)
{
  ++gModuleEntryCount;
  return true;
}

SMTG_EXPORT_SYMBOL bool ModuleExit()
{
  if (gModuleEntryCount > 0)
    --gModuleEntryCount;
  return true;
}
}
