#include "IEditorDelegate.h"

IEditorDelegate::IEditorDelegate(int nParams)
{
  mParams.reserve(static_cast<size_t>(nParams > 0 ? nParams : 0));
  for (int i = 0; i < nParams; ++i)
    mParams.push_back(std::make_unique<IParam>());
}

IEditorDelegate::~IEditorDelegate() = default;

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
  InformHostOfParamChange(paramIdx, param->GetNormalized());
  OnParamChange(paramIdx);
  OnParamChangeUI(paramIdx, kUI);
  UpdateOtherControlsOfParam(paramIdx, param->GetNormalized());
}
