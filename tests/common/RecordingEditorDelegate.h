#pragma once

// An editor delegate without a plug-in behind it, for tests of the editor's controls and of the
// framework's graphics: it records, in order, what reaches the plug-in's hooks and the host.

#include <string>
#include <utility>
#include <vector>

#include "graphics/IGEditorDelegate.h"

namespace krbtest
{
class RecordingEditorDelegate : public IGEditorDelegate
{
public:
  using Sent = std::vector<std::pair<int, double>>;

  // The parameters are left for the test to initialise.
  explicit RecordingEditorDelegate(int nParams)
    : IGEditorDelegate(nParams)
  {
  }

  void OnParamChange(int paramIdx) override { mEvents.push_back("change " + std::to_string(paramIdx)); }
  void OnParamChangeUI(int paramIdx, EParamSource source) override
  {
    mEvents.push_back("changeUI " + std::to_string(paramIdx) + " " + std::to_string(source));
    if (source == kUI)
      mSent.emplace_back(paramIdx, GetParam(paramIdx)->GetNormalized());
  }
  void BeginInformHostOfParamChangeFromUI(int paramIdx) override
  {
    mEvents.push_back("begin " + std::to_string(paramIdx));
  }
  void EndInformHostOfParamChangeFromUI(int paramIdx) override { mEvents.push_back("end " + std::to_string(paramIdx)); }
  void OnUIOpen() override
  {
    mEvents.push_back("uiopen");
    IGEditorDelegate::OnUIOpen();
  }
  void OnUIClose() override { mEvents.push_back("uiclose"); }

  // The changes made in the editor (source kUI) since the last call, as (parameter, normalised value).
  Sent TakeSent() { return std::exchange(mSent, {}); }

  using IGEditorDelegate::mLayoutFunc;
  using IGEditorDelegate::mMakeGraphicsFunc;

  // Every hook and host call, in order ("change 1", "changeUI 1 3", "begin 1", "perform 1", ...).
  std::vector<std::string> mEvents;
  // What the host was told, as (parameter, normalised value).
  std::vector<std::pair<int, double>> mPerformed;

protected:
  void InformHostOfParamChange(int paramIdx, double normalizedValue) override
  {
    mEvents.push_back("perform " + std::to_string(paramIdx));
    mPerformed.emplace_back(paramIdx, normalizedValue);
  }

private:
  Sent mSent;
};
} // namespace krbtest
