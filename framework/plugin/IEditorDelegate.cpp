#include "IEditorDelegate.h"

IEditorDelegate::IEditorDelegate(int nParams)
{
  mParams.reserve(static_cast<size_t>(nParams > 0 ? nParams : 0));
  for (int i = 0; i < nParams; ++i)
    mParams.push_back(std::make_unique<IParam>());
}

IEditorDelegate::~IEditorDelegate() = default;

double IEditorDelegate::ReadParamNormalized(int paramIdx) const
{
  const IParam* param = GetParam(paramIdx);
  if (!param)
    return 0.0;
  double stateValue = 0.0;
  if (GetParamValueFromState(paramIdx, stateValue))
    return param->ToNormalized(param->Constrain(stateValue));
  return param->GetNormalized();
}

void IEditorDelegate::SendCurrentParamValuesFromDelegate()
{
  for (int i = 0; i < NParams(); ++i)
    SendParameterValueFromDelegate(i, GetParam(i)->GetNormalized(), true);
}

void IEditorDelegate::SendParameterValueFromUI(int paramIdx, double normalizedValue)
{
  IParam* param = GetParam(paramIdx);
  if (!param)
    return;
  param->SetNormalized(normalizedValue);
  InformHostOfParamEdit(paramIdx);
  OnParamChange(paramIdx);
  OnParamChangeUI(paramIdx, kUI);
  UpdateOtherControlsOfParam(paramIdx, param->GetNormalized());
}

void IEditorDelegate::InformHostOfParamEdit(int paramIdx)
{
  const IParam* param = GetParam(paramIdx);
  if (!param)
    return;
  const bool ownEdit = mGestureParam != paramIdx;
  if (ownEdit)
    BeginInformHostOfParamChangeFromUI(paramIdx);
  InformHostOfParamChange(paramIdx, param->GetNormalized());
  if (ownEdit)
    EndInformHostOfParamChangeFromUI(paramIdx);
}

void IEditorDelegate::BeginParamGestureFromUI(int paramIdx)
{
  if (!GetParam(paramIdx))
    return;
  if (mGestureParam != kNoParameter)
    EndParamGestureFromUI(mGestureParam);
  mGestureParam = paramIdx;
  BeginInformHostOfParamChangeFromUI(paramIdx);
}

void IEditorDelegate::EndParamGestureFromUI(int paramIdx)
{
  if (paramIdx != mGestureParam || paramIdx == kNoParameter)
    return;
  mGestureParam = kNoParameter;
  EndInformHostOfParamChangeFromUI(paramIdx);
}
