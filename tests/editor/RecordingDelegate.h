#pragma once

#include <string>
#include <utility>
#include <vector>

#include "KrellbinderParams.h"
#include "graphics/IGEditorDelegate.h"

// An editor delegate with the plug-in's 196 parameters (each 0 to 1) that records every parameter
// change that reaches it from the editor, in order, as (parameter, normalised value).
class RecordingDelegate : public IGEditorDelegate
{
public:
  using Sent = std::vector<std::pair<int, double>>;

  RecordingDelegate() : IGEditorDelegate(kNumParams)
  {
    for (int i = 0; i < kNumParams; ++i)
    {
      std::string name = std::to_string(i); // (not "p" + ...: GCC 12 warns falsely about that form)
      GetParam(i)->InitDouble(name.c_str(), 0.0, 0.0, 1.0, 0.0001);
    }
  }

  void OnParamChangeUI(int paramIdx, EParamSource source) override
  {
    if (source == kUI)
      mSent.emplace_back(paramIdx, GetParam(paramIdx)->GetNormalized());
  }

  Sent TakeSent() { return std::exchange(mSent, {}); }

private:
  Sent mSent;
};
