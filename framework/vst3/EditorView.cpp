#include "EditorView.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>

#include "../graphics/IGraphics.h"
#include "EditorViewPlatform.h"
#include "HostCallScope.h"
#include "IPlugVST3.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"

using namespace Steinberg;

namespace
{
// The editor's VST3 view: opens the plug-in's editor inside the host's parent window on attached()
// and closes it on removed(). Sizes are window pixels: the view's units x draw scale x screen scale.
class EditorView final : public IPlugView, public IPlugViewContentScaleSupport
{
public:
  explicit EditorView(IPlugVST3& plug)
    : mPlug(plug)
    , mPlatform(EditorViewPlatform::Create())
  {
    // The view may outlive the host's own reference to the plug-in by a little.
    mPlug.addRef();
  }

  ~EditorView()
  {
    if (mAttached)
      removed();
    mPlatform.reset();
    mPlug.release();
  }

  // FUnknown
  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
  {
    if (!obj)
      return kInvalidArgument;
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, IPlugView::iid))
      *obj = static_cast<IPlugView*>(this);
    else if (FUnknownPrivate::iidEqual(iid, IPlugViewContentScaleSupport::iid))
      *obj = static_cast<IPlugViewContentScaleSupport*>(this);
    else
    {
      *obj = nullptr;
      return kNoInterface;
    }
    addRef();
    return kResultOk;
  }
  uint32 PLUGIN_API addRef() override { return ++mRefCount; }
  uint32 PLUGIN_API release() override
  {
    const uint32 count = --mRefCount;
    if (count == 0)
      delete this;
    return count;
  }

  // IPlugView
  tresult PLUGIN_API isPlatformTypeSupported(FIDString type) override
  {
    return type && std::strcmp(type, EditorViewPlatform::PlatformType()) == 0 ? kResultTrue : kResultFalse;
  }

  tresult PLUGIN_API attached(void* parent, FIDString type) override
  {
    const HostCallScope hostCall;
    if (!parent || isPlatformTypeSupported(type) != kResultTrue)
      return kInvalidArgument;
    // One editor per plug-in at a time.
    if (mAttached || mPlug.GetUI())
      return kResultFalse;
    if (!mPlatform->Prepare(mFrame))
      return kResultFalse;
    IdleTimer& timer = mPlug.GetIdleTimer();
    // Records queued while no editor was open are dropped before the new one exists, as the timer
    // does where it runs by itself.
    if (!timer.RunsByItself())
      timer.Tick();
    mScreenScale = mHostScale > 0.f ? mHostScale : mPlatform->DefaultScreenScale(parent);
    IGraphics* ui = mPlug.OpenWindow(parent, mScreenScale, [this](int w, int h) { RequestResize(w, h); });
    if (!ui)
      return kResultFalse;
    mAttached = true;
    // The window drives the idle tick only where nothing else does, so that it never runs twice per
    // interval.
    std::function<void()> idleTick;
    if (!timer.RunsWithoutEditor())
      idleTick = [this] { mPlug.GetIdleTimer().Tick(); };
    if (!mPlatform->Start(*ui, std::move(idleTick), timer.GetIntervalMs()))
    {
      removed();
      return kResultFalse;
    }
    return kResultOk;
  }

  tresult PLUGIN_API removed() override
  {
    const HostCallScope hostCall;
    if (!mAttached)
      return kResultFalse;
    mPlatform->Stop();
    mPlug.CloseWindow();
    mAttached = false;
    return kResultOk;
  }

  tresult PLUGIN_API onWheel(float /*distance*/) override { return kResultFalse; }
  tresult PLUGIN_API onKeyDown(char16 /*key*/, int16 /*keyCode*/, int16 /*modifiers*/) override { return kResultFalse; }
  tresult PLUGIN_API onKeyUp(char16 /*key*/, int16 /*keyCode*/, int16 /*modifiers*/) override { return kResultFalse; }

  tresult PLUGIN_API getSize(ViewRect* size) override
  {
    if (!size)
      return kInvalidArgument;
    *size = CurrentRect();
    return kResultOk;
  }

  tresult PLUGIN_API onSize(ViewRect* newSize) override
  {
    const HostCallScope hostCall;
    if (!newSize)
      return kInvalidArgument;
    mHostRect = *newSize;
    mHasHostRect = true;
    if (IGraphics* ui = mPlug.GetUI())
    {
      ui->SetPlatformWindowSize(newSize->getWidth(), newSize->getHeight());
      // A host that resizes the window itself scales the view to its width.
      if (mPlug.GetHostResizeEnabled() && newSize->getWidth() != ui->WindowWidth())
      {
        const float scale = ScaleForWidth(*ui, newSize->getWidth());
        if (std::fabs(scale - ui->GetDrawScale()) > 1e-4f)
          ui->Resize(ui->Width(), ui->Height(), scale);
      }
    }
    return kResultOk;
  }

  tresult PLUGIN_API onFocus(TBool /*state*/) override { return kResultOk; }

  tresult PLUGIN_API setFrame(IPlugFrame* frame) override
  {
    mFrame = frame;
    return kResultOk;
  }

  tresult PLUGIN_API canResize() override { return mPlug.GetHostResizeEnabled() ? kResultTrue : kResultFalse; }

  tresult PLUGIN_API checkSizeConstraint(ViewRect* rect) override
  {
    if (!rect)
      return kInvalidArgument;
    const ViewRect current = CurrentRect();
    IGraphics* ui = mPlug.GetUI();
    if (!mPlug.GetHostResizeEnabled() || !ui)
    {
      rect->right = rect->left + current.getWidth();
      rect->bottom = rect->top + current.getHeight();
      return kResultTrue;
    }
    // Keep the view's proportions within its scale limits.
    const float scale = ScaleForWidth(*ui, rect->getWidth());
    rect->right = rect->left + static_cast<int32>(std::lround(ui->Width() * scale * ui->GetScreenScale()));
    rect->bottom = rect->top + static_cast<int32>(std::lround(ui->Height() * scale * ui->GetScreenScale()));
    return kResultTrue;
  }

  // IPlugViewContentScaleSupport
  tresult PLUGIN_API setContentScaleFactor(ScaleFactor factor) override
  {
    const HostCallScope hostCall;
    if (!(factor > 0.f))
      return kInvalidArgument;
    mHostScale = factor;
    mScreenScale = factor;
    if (IGraphics* ui = mPlug.GetUI())
      ui->SetScreenScale(factor);
    return kResultTrue;
  }

private:
  static float ScaleForWidth(const IGraphics& ui, int widthPx)
  {
    const float unitsPx = static_cast<float>(ui.Width()) * ui.GetScreenScale();
    return std::clamp(static_cast<float>(widthPx) / std::max(unitsPx, 1.f), IGraphics::kMinScale, IGraphics::kMaxScale);
  }

  ViewRect CurrentRect() const
  {
    if (const IGraphics* ui = mPlug.GetUI())
      return ViewRect(0, 0, ui->WindowWidth(), ui->WindowHeight());
    if (mPlug.GetLastWindowWidth() > 0 && mPlug.GetLastWindowHeight() > 0)
      return ViewRect(0, 0, mPlug.GetLastWindowWidth(), mPlug.GetLastWindowHeight());
    const float scale = mHostScale > 0.f ? mHostScale : mScreenScale;
    return ViewRect(0, 0, static_cast<int32>(std::lround(mPlug.GetEditorWidth() * scale)),
                    static_cast<int32>(std::lround(mPlug.GetEditorHeight() * scale)));
  }

  // The view asks for a new window size: the host resizes its window and then calls onSize; without
  // a host that does, the window takes the size itself.
  void RequestResize(int widthPx, int heightPx)
  {
    ViewRect rect(0, 0, widthPx, heightPx);
    if (mFrame && mFrame->resizeView(this, &rect) == kResultTrue)
      return;
    if (IGraphics* ui = mPlug.GetUI())
      ui->SetPlatformWindowSize(widthPx, heightPx);
  }

  IPlugVST3& mPlug;
  std::unique_ptr<EditorViewPlatform> mPlatform;
  std::atomic<uint32> mRefCount{1};
  IPlugFrame* mFrame = nullptr;
  bool mAttached = false;
  float mHostScale = 0.f;
  float mScreenScale = 1.f;
  ViewRect mHostRect;
  bool mHasHostRect = false;
};
} // namespace

IPlugView* MakeEditorView(IPlugVST3& plug) { return new EditorView(plug); }
