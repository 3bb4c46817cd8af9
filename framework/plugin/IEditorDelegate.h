#pragma once

#include <memory>
#include <vector>

#include "IParam.h"
#include "IPlugConstants.h"

// The plug-in as its editor sees it: the parameters, the hooks the editor triggers, and the paths
// by which values travel between the core and the editor's controls.
class IEditorDelegate
{
public:
  explicit IEditorDelegate(int nParams);
  virtual ~IEditorDelegate();
  IEditorDelegate(const IEditorDelegate&) = delete;
  IEditorDelegate& operator=(const IEditorDelegate&) = delete;

  IParam* GetParam(int paramIdx) const
  {
    return paramIdx >= 0 && paramIdx < NParams() ? mParams[static_cast<size_t>(paramIdx)].get() : nullptr;
  }
  int NParams() const { return static_cast<int>(mParams.size()); }

  // Hooks for the plug-in.
  // A parameter whose value the plug-in takes from its own state (a button that shows a selection,
  // say) rather than one that holds a value of its own: true, with that value in the parameter's
  // range. Any thread, the audio thread included: no allocation, no lock.
  virtual bool GetParamValueFromState(int /*paramIdx*/, double& /*value*/) const { return false; }
  // The parameter's value as the host reads it (normalised): from the plug-in's state for a parameter
  // that shows it, else the parameter's own. Any thread; 0 for an index that is no parameter.
  double ReadParamNormalized(int paramIdx) const;
  virtual void OnParamChange(int /*paramIdx*/) {}
  virtual void OnParamChangeUI(int /*paramIdx*/, EParamSource /*source*/) {}
  virtual void OnUIOpen() { SendCurrentParamValuesFromDelegate(); }
  virtual void OnUIClose() {}
  // After a state restore: every parameter's value to the editor's controls.
  virtual void OnRestoreState() { SendCurrentParamValuesFromDelegate(); }

  // Core to editor. Without an editor (or without a control of that tag) nothing happens.
  virtual void SendControlMsgFromDelegate(int /*ctrlTag*/, int /*msgTag*/, int /*dataSize*/ = 0,
                                          const void* /*data*/ = nullptr)
  {
  }
  virtual void SendParameterValueFromDelegate(int /*paramIdx*/, double /*value*/, bool /*normalized*/) {}
  void SendCurrentParamValuesFromDelegate();

  // Editor to core: a control changes its parameter. The value is stored, the host is told (inside
  // the open gesture of that parameter, or in a begin/perform/end edit of its own), then the
  // plug-in's OnParamChange and OnParamChangeUI with source kUI run, and the other controls of the
  // parameter follow.
  virtual void BeginInformHostOfParamChangeFromUI(int /*paramIdx*/) {}
  void SendParameterValueFromUI(int paramIdx, double normalizedValue);
  virtual void EndInformHostOfParamChangeFromUI(int /*paramIdx*/) {}
  // A mouse gesture on a control of the parameter (press to release): the host sees one edit.
  void BeginParamGestureFromUI(int paramIdx);
  void EndParamGestureFromUI(int paramIdx);

  // To the host, main thread: the parameter's current value as an edit, inside the open gesture of
  // the parameter or in an edit of its own. So the host hears the editor's changes, and the values
  // that the plug-in changed on its own in answer to them.
  void InformHostOfParamEdit(int paramIdx);
  // To the host, main thread: the plug-in changed parameter values on its own, other than in answer
  // to an editor change; the host reads every value again (maybe a little later).
  virtual void InformHostOfParamValuesChanged() {}

protected:
  // Tells the host of a parameter value that the editor set (normalised).
  virtual void InformHostOfParamChange(int /*paramIdx*/, double /*normalizedValue*/) {}
  // After a change from one control, the other controls of the same parameter follow it.
  virtual void UpdateOtherControlsOfParam(int /*paramIdx*/, double /*normalizedValue*/) {}

private:
  std::vector<std::unique_ptr<IParam>> mParams;
  int mGestureParam = kNoParameter;
};
