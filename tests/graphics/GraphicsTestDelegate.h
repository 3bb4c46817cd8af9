#pragma once

#include "RecordingEditorDelegate.h"

// The recording delegate with the four parameters that the graphics tests bind their controls to.
class GraphicsTestDelegate : public krbtest::RecordingEditorDelegate
{
public:
  static constexpr int kNumTestParams = 4;
  enum
  {
    kSwitchParam = 0,
    kKnobParam = 1,
    kOtherParam = 2,
    kSpareParam = 3
  };

  GraphicsTestDelegate()
    : RecordingEditorDelegate(kNumTestParams)
  {
    GetParam(kSwitchParam)->InitBool("Switch", false);
    GetParam(kKnobParam)->InitDouble("Knob", 0.0, 0.0, 1.0, 0.0001);
    GetParam(kOtherParam)->InitBool("Other", false);
    GetParam(kSpareParam)->InitDouble("Spare", 0.0, 0.0, 1.0, 0.0001);
  }
};
