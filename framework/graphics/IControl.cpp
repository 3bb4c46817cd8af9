#include "IControl.h"

#include <algorithm>
#include <cmath>

#include "IGEditorDelegate.h"
#include "IGraphics.h"

// ------------------------------------------------------------------------------------------- IControl

IControl::IControl(const IRECT& bounds, int paramIdx)
  : mRECT(bounds)
{
  mVals.push_back({paramIdx, 0.0});
  // A control bound to a parameter starts at the parameter's value once attached; until then 0.
}

void IControl::Attach(IGraphics* graphics, int tag, const char* group)
{
  mGraphics = graphics;
  mTag = tag;
  mGroup = group ? group : "";
  for (Val& val : mVals)
    if (const IParam* param = GetDelegate() ? GetDelegate()->GetParam(val.paramIdx) : nullptr)
      val.value = param->GetNormalized();
  mDirty = true;
}

IGEditorDelegate* IControl::GetDelegate() const { return mGraphics ? &mGraphics->GetDelegate() : nullptr; }

void IControl::SetValue(double value, int valIdx)
{
  if (valIdx >= 0 && valIdx < NVals())
    mVals[static_cast<size_t>(valIdx)].value = value;
}

double IControl::GetValue(int valIdx) const
{
  return valIdx >= 0 && valIdx < NVals() ? mVals[static_cast<size_t>(valIdx)].value : 0.0;
}

int IControl::GetParamIdx(int valIdx) const
{
  return valIdx >= 0 && valIdx < NVals() ? mVals[static_cast<size_t>(valIdx)].paramIdx : kNoParameter;
}

void IControl::SetParamIdx(int paramIdx, int valIdx)
{
  if (valIdx >= 0 && valIdx < NVals())
    mVals[static_cast<size_t>(valIdx)].paramIdx = paramIdx;
}

const IParam* IControl::GetParam(int valIdx) const
{
  const IGEditorDelegate* delegate = GetDelegate();
  return delegate ? delegate->GetParam(GetParamIdx(valIdx)) : nullptr;
}

bool IControl::IsCaptured() const { return mGraphics && mGraphics->GetCapturedControl() == this; }

void IControl::SetDisabled(bool disabled)
{
  if (mDisabled != disabled)
  {
    mDisabled = disabled;
    mDirty = true;
  }
}

void IControl::Hide(bool hidden)
{
  if (mHidden != hidden)
  {
    mHidden = hidden;
    mDirty = true;
  }
}

void IControl::SetValueFromDelegate(double value, int valIdx)
{
  if (IsCaptured())
    return;
  if (valIdx < 0 || valIdx >= NVals() || GetValue(valIdx) == value)
    return;
  SetValue(value, valIdx);
  SetDirty(false, kNoValIdx);
}

void IControl::SetDirty(bool triggerAction, int valIdx)
{
  const int first = valIdx == kNoValIdx ? 0 : valIdx;
  const int last = valIdx == kNoValIdx ? NVals() - 1 : valIdx;
  if (first < 0 || last >= NVals())
    return;
  for (int i = first; i <= last; ++i)
  {
    Val& val = mVals[static_cast<size_t>(i)];
    val.value = std::clamp(val.value, 0.0, 1.0);
  }
  mDirty = true;
  if (!triggerAction || !mGraphics)
    return;
  for (int i = first; i <= last; ++i)
  {
    const Val& val = mVals[static_cast<size_t>(i)];
    if (val.paramIdx > kNoParameter)
      mGraphics->SendParameterValueFromControl(*this, val.paramIdx, val.value);
  }
}

// ------------------------------------------------------------------------------------- IBitmapControl

IBitmapControl::IBitmapControl(float x, float y, const IBitmap& bitmap, int paramIdx, const IBlend& blend)
  : IControl(IRECT::MakeXYWH(x, y, static_cast<float>(bitmap.FW()), static_cast<float>(bitmap.FH())), paramIdx)
  , mBitmap(bitmap)
  , mBlend(blend)
{
}

IBitmapControl::IBitmapControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx, const IBlend& blend)
  : IControl(bounds, paramIdx)
  , mBitmap(bitmap)
  , mBlend(blend)
{
}

int IBitmapControl::GetFrame() const
{
  const int frames = mBitmap.N();
  const double value = std::clamp(GetValue(0), 0.0, 1.0);
  const int n = static_cast<int>(value * (frames - 1) + 0.5);
  return 1 + std::clamp(n, 0, frames - 1);
}

void IBitmapControl::Draw(IGraphics& g)
{
  if (!mBitmap.IsValid())
    return;
  const int frameIdx = GetFrame() - 1;
  const int srcX = mBitmap.GetFramesAreHorizontal() ? frameIdx * mBitmap.FW() : 0;
  const int srcY = mBitmap.GetFramesAreHorizontal() ? 0 : frameIdx * mBitmap.FH();
  g.DrawBitmap(mBitmap, GetRECT(), srcX, srcY, &mBlend);
}

// ------------------------------------------------------------------------------------ IBSwitchControl

IBSwitchControl::IBSwitchControl(float x, float y, const IBitmap& bitmap, int paramIdx)
  : IBitmapControl(x, y, bitmap, paramIdx)
{
}

IBSwitchControl::IBSwitchControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx)
  : IBitmapControl(bounds, bitmap, paramIdx)
{
}

void IBSwitchControl::OnMouseDown(float /*x*/, float /*y*/, const IMouseMod& /*mod*/)
{
  const int frames = mBitmap.N();
  double value = GetValue(0) + (frames > 1 ? 1.0 / (frames - 1) : 1.0);
  // The tolerance keeps the last of several frames reachable despite rounding of the steps.
  if (value > 1.001)
    value = 0.0;
  SetValue(value, 0);
  SetDirty(true);
}

// -------------------------------------------------------------------------------------- IBKnobControl

IBKnobControl::IBKnobControl(float x, float y, const IBitmap& bitmap, int paramIdx, EDirection direction,
                             double gearing)
  : IBitmapControl(x, y, bitmap, paramIdx)
  , mDirection(direction)
  , mGearing(gearing)
{
}

IBKnobControl::IBKnobControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx, EDirection direction,
                             double gearing)
  : IBitmapControl(bounds, bitmap, paramIdx)
  , mDirection(direction)
  , mGearing(gearing)
{
}

void IBKnobControl::OnMouseDrag(float /*x*/, float /*y*/, float dX, float dY, const IMouseMod& /*mod*/)
{
  const IRECT& bounds = GetRECT();
  const double span = mDirection == EDirection::Vertical ? bounds.H() : bounds.W();
  if (span <= 0.0 || mGearing <= 0.0)
    return;
  // Screen y grows downwards: dragging up raises the value.
  const double delta = mDirection == EDirection::Vertical ? -dY : dX;
  SetValue(GetValue(0) + delta / (span * mGearing), 0);
  SetDirty(true);
}

// --------------------------------------------------------------------------------------- ITextControl

ITextControl::ITextControl(const IRECT& bounds, const char* str, const IText& text, const IColor& bgColor)
  : IControl(bounds)
  , mStr(str ? str : "")
  , mText(text)
  , mBGColor(bgColor)
{
  SetIgnoreMouse(true);
}

void ITextControl::SetStr(const char* str)
{
  const char* text = str ? str : "";
  if (mStr != text)
  {
    mStr = text;
    SetDirty(false);
  }
}

void ITextControl::SetText(const IText& text)
{
  mText = text;
  SetDirty(false);
}

void ITextControl::Draw(IGraphics& g)
{
  if (!mBGColor.IsTransparent())
    g.FillRect(mBGColor, GetRECT());
  if (!mStr.empty())
    g.DrawText(mText, mStr.c_str(), GetRECT());
}

// ------------------------------------------------------------------------------ ICornerResizerControl

ICornerResizerControl::ICornerResizerControl(const IRECT& bounds, float size, const IColor& color,
                                             const IColor& mouseOverColor, const IColor& dragColor)
  : IControl(bounds)
  , mSize(size)
  , mColor(color)
  , mMouseOverColor(mouseOverColor)
  , mDragColor(dragColor)
{
}

void ICornerResizerControl::Draw(IGraphics& g)
{
  const IColor& color = mDragging ? mDragColor : mMouseOver ? mMouseOverColor : mColor;
  const IRECT& r = GetRECT();
  g.FillTriangle(color, r.L, r.B, r.R, r.T, r.R, r.B);
}

void ICornerResizerControl::OnMouseDown(float x, float y, const IMouseMod& /*mod*/)
{
  IGraphics* ui = GetUI();
  if (!ui)
    return;
  mDragging = true;
  mStartScale = ui->GetDrawScale();
  mStartW = ui->Width();
  mStartH = ui->Height();
  mStartX = std::max(x * mStartScale, 1.f);
  mStartY = std::max(y * mStartScale, 1.f);
  SetDirty(false);
}

void ICornerResizerControl::OnMouseDrag(float x, float y, float /*dX*/, float /*dY*/, const IMouseMod& /*mod*/)
{
  IGraphics* ui = GetUI();
  if (!ui || !mDragging)
    return;
  // The pointer's distance from the view's origin in pixels, against the same at the start: the
  // corner follows the pointer. Pixels, not units, because the units grow with the scale.
  const float scale = ui->GetDrawScale();
  const float factor = std::max((x * scale) / mStartX, (y * scale) / mStartY);
  if (ui->GetResizerMode() == EUIResizerMode::Scale)
    ui->Resize(ui->Width(), ui->Height(), mStartScale * factor);
  else
    ui->Resize(static_cast<int>(std::lround(mStartW * factor)), static_cast<int>(std::lround(mStartH * factor)), scale);
}

void ICornerResizerControl::OnMouseUp(float /*x*/, float /*y*/, const IMouseMod& /*mod*/)
{
  mDragging = false;
  SetDirty(false);
}

void ICornerResizerControl::OnMouseOver(float /*x*/, float /*y*/, const IMouseMod& /*mod*/)
{
  if (!mMouseOver)
  {
    mMouseOver = true;
    SetDirty(false);
  }
}

void ICornerResizerControl::OnMouseOut()
{
  if (mMouseOver)
  {
    mMouseOver = false;
    SetDirty(false);
  }
}
