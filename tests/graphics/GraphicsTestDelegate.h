#pragma once

#include <string>
#include <vector>

#include "graphics/IGEditorDelegate.h"

// An editor delegate that records what reaches the host and the plug-in's hooks, in order.
class GraphicsTestDelegate : public IGEditorDelegate
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

  GraphicsTestDelegate() : IGEditorDelegate(kNumTestParams)
  {
    GetParam(kSwitchParam)->InitBool("Switch", false);
    GetParam(kKnobParam)->InitDouble("Knob", 0.0, 0.0, 1.0, 0.0001);
    GetParam(kOtherParam)->InitBool("Other", false);
    GetParam(kSpareParam)->InitDouble("Spare", 0.0, 0.0, 1.0, 0.0001);
  }

  void OnParamChange(int paramIdx) override { mEvents.push_back("change " + std::to_string(paramIdx)); }
  void OnParamChangeUI(int paramIdx, EParamSource source) override
  {
    mEvents.push_back("changeUI " + std::to_string(paramIdx) + " " + std::to_string(source));
  }
  void BeginInformHostOfParamChangeFromUI(int paramIdx) override
  {
    mEvents.push_back("begin " + std::to_string(paramIdx));
  }
  void EndInformHostOfParamChangeFromUI(int paramIdx) override
  {
    mEvents.push_back("end " + std::to_string(paramIdx));
  }
  void OnUIOpen() override
  {
    mEvents.push_back("uiopen");
    IGEditorDelegate::OnUIOpen();
  }
  void OnUIClose() override { mEvents.push_back("uiclose"); }

  using IGEditorDelegate::mLayoutFunc;
  using IGEditorDelegate::mMakeGraphicsFunc;

  std::vector<std::string> mEvents;
  std::vector<std::pair<int, double>> mPerformed;

protected:
  void InformHostOfParamChange(int paramIdx, double normalizedValue) override
  {
    mEvents.push_back("perform " + std::to_string(paramIdx));
    mPerformed.emplace_back(paramIdx, normalizedValue);
  }
};
