#include "Krellbinder.h"

// Until the drum engine is in, the plug-in renders silence and names its buses as the framework does.

void Krellbinder::ProcessBlock(double** inputs, double** outputs, int nFrames)
{
  IPlugVST3::ProcessBlock(inputs, outputs, nFrames);
}

void Krellbinder::ProcessMidiMsg(const IMidiMsg& /*msg*/) {}

void Krellbinder::OnReset() {}

void Krellbinder::GetBusName(ERoute direction, int busIdx, int nBuses, WDL_String& str) const
{
  IPlugVST3::GetBusName(direction, busIdx, nBuses, str);
}
