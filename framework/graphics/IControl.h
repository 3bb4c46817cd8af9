#pragma once

#include <string>
#include <vector>

#include "../plugin/IPlugConstants.h"
#include "IGraphicsStructs.h"

class IGraphics;
class IGEditorDelegate;
class IParam;

// Value index meaning "every value of the control".
static constexpr int kNoValIdx = -1;

// Base of every editor control: its rectangle, its values (each normalised 0 .. 1 and optionally
// bound to a parameter), its tag and group, and its reactions to the mouse and to the core's messages.
// Controls live in one IGraphics, which owns them from AttachControl on.
class IControl
{
public:
  explicit IControl(const IRECT& bounds, int paramIdx = kNoParameter);
  virtual ~IControl() = default;
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // Drawing, in view units. The base draws nothing.
  virtual void Draw(IGraphics& /*g*/) {}

  // Mouse, in view units at any draw scale.
  virtual void OnMouseDown(float /*x*/, float /*y*/, const IMouseMod& /*mod*/) {}
  virtual void OnMouseUp(float /*x*/, float /*y*/, const IMouseMod& /*mod*/) {}
  virtual void OnMouseDrag(float /*x*/, float /*y*/, float /*dX*/, float /*dY*/, const IMouseMod& /*mod*/) {}
  virtual void OnMouseOver(float /*x*/, float /*y*/, const IMouseMod& /*mod*/) {}
  virtual void OnMouseOut() {}
  virtual bool IsHit(float x, float y) const { return mRECT.Contains(x, y); }

  // After the control has been attached to its IGraphics.
  virtual void OnAttached() {}

  // A record from the core (through IEditorDelegate::SendControlMsgFromDelegate). The base ignores it.
  virtual void OnMsgFromDelegate(int /*msgTag*/, int /*dataSize*/, const void* /*data*/) {}

  // A value from the core or the host. Ignored while the mouse holds this control; otherwise a
  // changed value is stored and the control redrawn. Never sends a parameter.
  virtual void SetValueFromDelegate(double value, int valIdx = 0);

  // Stores a value; nothing else happens.
  void SetValue(double value, int valIdx = 0);
  double GetValue(int valIdx = 0) const;
  int NVals() const { return static_cast<int>(mVals.size()); }

  // Clamps the value (kNoValIdx: every value) into 0 .. 1 and marks the control for redraw. With
  // triggerAction, each such value that is bound to a parameter is sent to the plug-in as a change
  // made in the editor, and the other controls of that parameter follow it.
  virtual void SetDirty(bool triggerAction = true, int valIdx = kNoValIdx);
  bool IsDirty() const { return mDirty; }
  void ClearDirty() { mDirty = false; }

  int GetParamIdx(int valIdx = 0) const;
  void SetParamIdx(int paramIdx, int valIdx = 0);
  // The bound parameter of the plug-in, or nullptr.
  const IParam* GetParam(int valIdx = 0) const;

  int GetTag() const { return mTag; }
  const char* GetGroup() const { return mGroup.c_str(); }
  const IRECT& GetRECT() const { return mRECT; }
  void SetRECT(const IRECT& bounds) { mRECT = bounds; }

  bool IsDisabled() const { return mDisabled; }
  void SetDisabled(bool disabled);
  bool IsHidden() const { return mHidden; }
  void Hide(bool hidden);
  bool GetIgnoreMouse() const { return mIgnoreMouse; }
  void SetIgnoreMouse(bool ignore) { mIgnoreMouse = ignore; }
  // True while a mouse button that went down on this control is held.
  bool IsCaptured() const;

  // The graphics context the control is attached to (nullptr before attachment).
  IGraphics* GetUI() const { return mGraphics; }
  IGEditorDelegate* GetDelegate() const;

private:
  friend class IGraphics;
  void Attach(IGraphics* graphics, int tag, const char* group);

  struct Val
  {
    int paramIdx = kNoParameter;
    double value = 0.0;
  };

  IGraphics* mGraphics = nullptr;
  IRECT mRECT;
  std::vector<Val> mVals;
  int mTag = kNoTag;
  std::string mGroup;
  bool mDirty = true;
  bool mDisabled = false;
  bool mHidden = false;
  bool mIgnoreMouse = false;
};

// Draws one frame of a bitmap: frame 1 + n, counted from 1, where n is the integer part of
// v x (frames - 1) + 0.5 for the normalised value v.
class IBitmapControl : public IControl
{
public:
  // Bounds: one frame of the bitmap with its top-left corner at (x, y).
  IBitmapControl(float x, float y, const IBitmap& bitmap, int paramIdx = kNoParameter, const IBlend& blend = IBlend());
  IBitmapControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx = kNoParameter,
                 const IBlend& blend = IBlend());

  void Draw(IGraphics& g) override;

  const IBitmap& GetBitmap() const { return mBitmap; }
  // The 1-based frame that the first value selects.
  int GetFrame() const;

protected:
  IBitmap mBitmap;
  IBlend mBlend;
};

// A switch drawn from a bitmap: each click steps the value by 1/(frames - 1) (by 1 for a one-frame
// bitmap) and wraps to 0 past the last frame, so a two-frame bitmap toggles between 0 and 1.
class IBSwitchControl : public IBitmapControl
{
public:
  IBSwitchControl(float x, float y, const IBitmap& bitmap, int paramIdx = kNoParameter);
  IBSwitchControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx = kNoParameter);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
};

// A knob drawn from a strip of frames. Dragging along the direction changes the value: a drag of
// gearing x the control's height (width when horizontal) covers the whole range, upwards (rightwards)
// raising it.
class IBKnobControl : public IBitmapControl
{
public:
  IBKnobControl(float x, float y, const IBitmap& bitmap, int paramIdx = kNoParameter,
                EDirection direction = EDirection::Vertical, double gearing = kDefaultGearing);
  IBKnobControl(const IRECT& bounds, const IBitmap& bitmap, int paramIdx = kNoParameter,
                EDirection direction = EDirection::Vertical, double gearing = kDefaultGearing);

  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;

  static constexpr double kDefaultGearing = 4.0;

protected:
  EDirection mDirection;
  double mGearing;
};

// A line of text in a fixed rectangle, over an optional background colour. Ignores the mouse.
class ITextControl : public IControl
{
public:
  ITextControl(const IRECT& bounds, const char* str = "", const IText& text = IText(),
               const IColor& bgColor = COLOR_TRANSPARENT);

  void Draw(IGraphics& g) override;

  // Replaces the text; a changed text is redrawn.
  virtual void SetStr(const char* str);
  const char* GetStr() const { return mStr.c_str(); }
  const IText& GetText() const { return mText; }
  void SetText(const IText& text);

protected:
  std::string mStr;
  IText mText;
  IColor mBGColor;
};

// The square in the view's bottom-right corner that the user drags to scale the whole view. The view
// keeps its size in units; only its draw scale changes.
class ICornerResizerControl : public IControl
{
public:
  ICornerResizerControl(const IRECT& bounds, float size, const IColor& color, const IColor& mouseOverColor,
                        const IColor& dragColor);

  void Draw(IGraphics& g) override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;

  float GetSize() const { return mSize; }

private:
  float mSize;
  IColor mColor;
  IColor mMouseOverColor;
  IColor mDragColor;
  bool mMouseOver = false;
  bool mDragging = false;
  float mStartScale = 1.f;
  int mStartW = 0;
  int mStartH = 0;
  // Where the drag started, in pixels at draw scale 1 x the scale then (view origin at 0, 0).
  float mStartX = 0.f;
  float mStartY = 0.f;
};
