#include "IGraphics.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "../platform/DebugOutput.h"
#include "IGEditorDelegate.h"
#include "IGraphicsResources.h"

namespace
{
IRECT CornerResizerBounds(int w, int h, float size)
{
  const float width = static_cast<float>(w);
  const float height = static_cast<float>(h);
  return IRECT(width - size, height - size, width, height).GetPadded(-1.f);
}
} // namespace

IGraphics::IGraphics(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
  : mDelegate(dlg)
  , mWidth(std::max(w, 1))
  , mHeight(std::max(h, 1))
  , mFPS(fps > 0 ? fps : 60)
  , mDrawScale(std::clamp(scale, kMinScale, kMaxScale))
{
}

IGraphics::~IGraphics()
{
  // The controls go before the bitmaps they share.
  mCapturedControl = nullptr;
  mMouseOverControl = nullptr;
  mTagMap.clear();
  mControls.clear();
  mCornerResizer.reset();
}

// --------------------------------------------------------------------------------------- size, scale

int IGraphics::WindowWidth() const { return static_cast<int>(std::lround(mWidth * GetTotalScale())); }
int IGraphics::WindowHeight() const { return static_cast<int>(std::lround(mHeight * GetTotalScale())); }

void IGraphics::Resize(int w, int h, float scale)
{
  w = std::max(w, 1);
  h = std::max(h, 1);
  scale = std::clamp(scale, kMinScale, kMaxScale);
  if (w == mWidth && h == mHeight && scale == mDrawScale)
    return;
  mWidth = w;
  mHeight = h;
  mDrawScale = scale;
  if (mCornerResizer)
    mCornerResizer->SetRECT(CornerResizerBounds(mWidth, mHeight, mCornerResizer->GetSize()));
  SetAllControlsDirty();
  PlatformResize(WindowWidth(), WindowHeight());
  if (mLayoutOnResize)
    mDelegate.LayoutUI(this);
}

void IGraphics::SetScreenScale(float scale)
{
  if (!(scale > 0.f) || scale == mScreenScale)
    return;
  mScreenScale = scale;
  SetAllControlsDirty();
  PlatformResize(WindowWidth(), WindowHeight());
}

void IGraphics::SetWindowResizeRequest(std::function<void(int, int)> request)
{
  mWindowResizeRequest = std::move(request);
}

void IGraphics::PlatformResize(int widthPx, int heightPx)
{
  if (mWindowResizeRequest)
    mWindowResizeRequest(widthPx, heightPx);
  else
    SetPlatformWindowSize(widthPx, heightPx);
}

// ------------------------------------------------------------------------------------------ resources

IBitmap IGraphics::LoadBitmap(const char* fileName, int nStates, bool framesAreHorizontal)
{
  const std::string name = fileName ? fileName : "";
  auto found = mBitmapCache.find(name);
  if (found == mBitmapCache.end())
  {
    ResourceBytes bytes;
    std::shared_ptr<const BitmapData> data;
    if (FindLibraryResource(name.c_str(), "PNG", mWinModule, bytes))
      data = DecodePng(bytes.data, bytes.size, name.c_str());
    if (!data)
    {
      OutputDebugText(("IGraphics: bitmap resource \"" + name + "\" not found or not readable").c_str());
      return IBitmap();
    }
    found = mBitmapCache.emplace(name, std::move(data)).first;
  }
  return IBitmap(found->second, nStates, framesAreHorizontal);
}

bool IGraphics::LoadFont(const char* fontID, const char* fileName)
{
  if (!fontID || !fileName)
    return false;
  if (HasFont(fontID))
    return true;
  ResourceBytes bytes;
  if (!FindLibraryResource(fileName, "TTF", mWinModule, bytes) || bytes.size == 0)
  {
    OutputDebugText((std::string("IGraphics: font resource \"") + fileName + "\" not found").c_str());
    return false;
  }
  mFonts.push_back({fontID, bytes.data, bytes.size});
  return true;
}

bool IGraphics::HasFont(const char* fontID) const
{
  return std::any_of(mFonts.begin(), mFonts.end(), [&](const FontResource& font) { return font.mID == fontID; });
}

// ------------------------------------------------------------------------------------------- controls

IControl* IGraphics::AttachControl(IControl* control, int ctrlTag, const char* group)
{
  if (!control)
    return nullptr;
  std::unique_ptr<IControl> owned(control);
  if (ctrlTag > kNoTag && mTagMap.count(ctrlTag))
  {
    OutputDebugText(("IGraphics: control tag " + std::to_string(ctrlTag) + " is already attached").c_str());
    return nullptr;
  }
  control->Attach(this, ctrlTag, group);
  if (ctrlTag > kNoTag)
    mTagMap.emplace(ctrlTag, control);
  mControls.push_back(std::move(owned));
  control->OnAttached();
  return control;
}

void IGraphics::AttachBackground(const char* fileName)
{
  const IBitmap bitmap = LoadBitmap(fileName, 1, false);
  auto control = std::make_unique<IBitmapControl>(0.f, 0.f, bitmap, kNoParameter);
  control->Attach(this, kNoTag, "");
  mControls.insert(mControls.begin(), std::move(control));
}

void IGraphics::AttachCornerResizer(EUIResizerMode sizeMode, bool layoutOnResize, const IColor& color,
                                    const IColor& mouseOverColor, const IColor& dragColor, float size)
{
  mResizerMode = sizeMode;
  mLayoutOnResize = layoutOnResize;
  if (mCapturedControl == mCornerResizer.get())
    ReleaseCapture();
  if (mMouseOverControl == mCornerResizer.get())
    mMouseOverControl = nullptr;
  mCornerResizer = std::make_unique<ICornerResizerControl>(CornerResizerBounds(mWidth, mHeight, size), size, color,
                                                           mouseOverColor, dragColor);
  mCornerResizer->Attach(this, kNoTag, "");
}

IControl* IGraphics::GetControlWithTag(int ctrlTag) const
{
  const auto found = mTagMap.find(ctrlTag);
  return found == mTagMap.end() ? nullptr : found->second;
}

IControl* IGraphics::GetControl(int idx) const
{
  return idx >= 0 && idx < NControls() ? mControls[static_cast<size_t>(idx)].get() : nullptr;
}

void IGraphics::ForControlsWithParam(int paramIdx, const std::function<void(IControl&, int)>& func) const
{
  if (paramIdx <= kNoParameter)
    return;
  for (const auto& control : mControls)
    for (int v = 0; v < control->NVals(); ++v)
      if (control->GetParamIdx(v) == paramIdx)
        func(*control, v);
}

void IGraphics::SendParameterValueFromControl(IControl& control, int paramIdx, double normalizedValue)
{
  IControl* previous = mSendingControl;
  mSendingControl = &control;
  mDelegate.SendParameterValueFromUI(paramIdx, normalizedValue);
  mSendingControl = previous;
}

void IGraphics::UpdatePeers(int paramIdx, double normalizedValue)
{
  ForControlsWithParam(paramIdx, [&](IControl& control, int valIdx) {
    if (&control == mSendingControl)
      return;
    control.SetValue(normalizedValue, valIdx);
    control.SetDirty(false, valIdx);
  });
}

// ---------------------------------------------------------------------------------------------- mouse

IControl* IGraphics::FindMouseControl(float x, float y) const
{
  if (mCornerResizer && !mCornerResizer->IsHidden() && mCornerResizer->IsHit(x, y))
    return mCornerResizer.get();
  // The topmost control is the last attached.
  for (auto it = mControls.rbegin(); it != mControls.rend(); ++it)
  {
    IControl& control = **it;
    if (control.IsHidden() || control.IsDisabled() || control.GetIgnoreMouse())
      continue;
    if (control.IsHit(x, y))
      return &control;
  }
  return nullptr;
}

void IGraphics::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  if (mCapturedControl)
    ReleaseCapture();
  IControl* control = FindMouseControl(x, y);
  if (!control)
    return;
  mCapturedControl = control;
  mLastMouseX = x;
  mLastMouseY = y;
  // A press, its drags and its release are one gesture for the host on the control's parameter.
  const int paramIdx = control->GetParamIdx(0);
  if (paramIdx > kNoParameter && mDelegate.GetParam(paramIdx))
  {
    mGestureParam = paramIdx;
    mDelegate.BeginParamGestureFromUI(paramIdx);
  }
  control->OnMouseDown(x, y, mod);
}

void IGraphics::OnMouseDrag(float x, float y, const IMouseMod& mod)
{
  if (!mCapturedControl)
    return;
  const float dX = x - mLastMouseX;
  const float dY = y - mLastMouseY;
  mLastMouseX = x;
  mLastMouseY = y;
  if (dX != 0.f || dY != 0.f)
    mCapturedControl->OnMouseDrag(x, y, dX, dY, mod);
}

void IGraphics::OnMouseUp(float x, float y, const IMouseMod& mod)
{
  IControl* control = mCapturedControl;
  if (!control)
    return;
  control->OnMouseUp(x, y, mod);
  ReleaseCapture();
  OnMouseOver(x, y, mod);
}

void IGraphics::ReleaseCapture()
{
  mCapturedControl = nullptr;
  if (mGestureParam > kNoParameter)
  {
    const int paramIdx = mGestureParam;
    mGestureParam = kNoParameter;
    mDelegate.EndParamGestureFromUI(paramIdx);
  }
}

void IGraphics::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  if (mCapturedControl)
    return;
  IControl* control = FindMouseControl(x, y);
  if (control != mMouseOverControl)
  {
    if (mMouseOverControl)
      mMouseOverControl->OnMouseOut();
    mMouseOverControl = control;
  }
  if (control)
    control->OnMouseOver(x, y, mod);
}

void IGraphics::OnMouseOut()
{
  if (mMouseOverControl)
    mMouseOverControl->OnMouseOut();
  mMouseOverControl = nullptr;
}

// -------------------------------------------------------------------------------------------- drawing

bool IGraphics::IsDirty() const
{
  if (mAllDirty || (mCornerResizer && mCornerResizer->IsDirty()))
    return true;
  return std::any_of(mControls.begin(), mControls.end(), [](const auto& control) { return control->IsDirty(); });
}

void IGraphics::SetAllControlsDirty() { mAllDirty = true; }

void IGraphics::Draw()
{
  // The whole view is drawn each frame: the double-buffered window keeps nothing of the last one.
  for (const auto& control : mControls)
  {
    if (!control->IsHidden())
      control->Draw(*this);
    control->ClearDirty();
  }
  if (mCornerResizer)
  {
    mCornerResizer->Draw(*this);
    mCornerResizer->ClearDirty();
  }
  mAllDirty = false;
}
