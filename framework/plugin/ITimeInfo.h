#pragma once

#include "IPlugConstants.h"

// The host's musical time for the current block.
struct ITimeInfo
{
  double mTempo = kDefaultTempo;
  double mSamplePos = -1.0;
  double mPPQPos = -1.0;
  int mNumerator = 4;
  int mDenominator = 4;
  bool mTransportIsRunning = false;
  bool mTransportLoopEnabled = false;
};
