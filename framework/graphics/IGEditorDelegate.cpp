#include "IGEditorDelegate.h"

#include "IControl.h"

IGEditorDelegate::IGEditorDelegate(int nParams)
  : IEditorDelegate(nParams)
{
}

IGEditorDelegate::~IGEditorDelegate()
{
  // The controls go before the plug-in's fields they may point to. No hooks run this late.
  mGraphics.reset();
}

IGraphics* IGEditorDelegate::OpenWindow(void* parent, float screenScale, std::function<void(int, int)> resizeRequest)
{
  if (mGraphics)
    return nullptr;
  IGraphics* graphics = CreateGraphics();
  if (!graphics)
    return nullptr;
  mGraphics.reset(graphics);
  graphics->SetScreenScale(screenScale);
  graphics->SetWindowResizeRequest(std::move(resizeRequest));
  if (!graphics->OpenWindow(parent))
  {
    mGraphics.reset();
    return nullptr;
  }
  LayoutUI(graphics);
  OnUIOpen();
  graphics->SetAllControlsDirty();
  return graphics;
}

void IGEditorDelegate::CloseWindow()
{
  if (!mGraphics)
    return;
  OnUIClose();
  mLastWindowWidth = mGraphics->WindowWidth();
  mLastWindowHeight = mGraphics->WindowHeight();
  mGraphics->CloseWindow();
  mGraphics.reset();
}

void IGEditorDelegate::SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize, const void* data)
{
  if (IGraphics* ui = GetUI())
    if (IControl* control = ui->GetControlWithTag(ctrlTag))
      control->OnMsgFromDelegate(msgTag, dataSize, data);
}

void IGEditorDelegate::SendParameterValueFromDelegate(int paramIdx, double value, bool normalized)
{
  IGraphics* ui = GetUI();
  const IParam* param = GetParam(paramIdx);
  if (!ui || !param)
    return;
  const double normalizedValue = normalized ? value : param->ToNormalized(value);
  ui->ForControlsWithParam(
    paramIdx, [&](IControl& control, int valIdx) { control.SetValueFromDelegate(normalizedValue, valIdx); });
}

void IGEditorDelegate::UpdateOtherControlsOfParam(int paramIdx, double normalizedValue)
{
  if (IGraphics* ui = GetUI())
    ui->UpdatePeers(paramIdx, normalizedValue);
}
