#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "IControl.h"
#include "IGraphicsStructs.h"

class IGEditorDelegate;

// The editor's drawing context: a view of Width() x Height() units drawn at a draw scale, holding the
// controls, the bitmaps and the fonts of one opened editor.
//
// This base class keeps the controls, the scale and the mouse handling, and draws nothing: it is the
// whole editor without a window, which is what the tests use. IGraphicsNanoVG adds drawing and
// IGraphicsPugl the window in the host's parent window (see MakeGraphics).
class IGraphics
{
public:
  static constexpr float kMinScale = 0.5f;
  static constexpr float kMaxScale = 4.0f;
  static constexpr float kDefaultResizerSize = 20.f;

  IGraphics(IGEditorDelegate& dlg, int w, int h, int fps = 60, float scale = 1.f);
  virtual ~IGraphics();
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  IGEditorDelegate& GetDelegate() const { return mDelegate; }

  // --- size and scale
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFPS; }
  float GetDrawScale() const { return mDrawScale; }
  // Pixels per unit of the screen the window is on (1 on a normal screen, 2 on a double-density one).
  float GetScreenScale() const { return mScreenScale; }
  float GetTotalScale() const { return mDrawScale * mScreenScale; }
  // The window's size in pixels.
  int WindowWidth() const;
  int WindowHeight() const;
  IRECT GetBounds() const { return IRECT(0.f, 0.f, static_cast<float>(mWidth), static_cast<float>(mHeight)); }

  // Sets the view's size in units and its draw scale (clamped into 0.5 .. 4.0); nothing happens when
  // neither changes. Otherwise every control is redrawn and the host is asked to resize the window.
  void Resize(int w, int h, float scale);
  // The screen scale changed (the host's content scale, or the window moved to another screen).
  void SetScreenScale(float scale);
  // How the window asks its host for a new size in pixels. Without one the window resizes itself.
  void SetWindowResizeRequest(std::function<void(int widthPx, int heightPx)> request);

  // The library module that holds the bitmap and font resources (Windows: its HINSTANCE). Without one
  // the library that holds this code is used.
  void SetWinModuleHandle(void* module) { mWinModule = module; }
  void* GetWinModuleHandle() const { return mWinModule; }

  // --- resources
  // A bitmap resource of the library by file name, with its frame count; frames are stacked
  // vertically unless framesAreHorizontal. Decoded once per view. Invalid when the resource is missing.
  IBitmap LoadBitmap(const char* fileName, int nStates = 1, bool framesAreHorizontal = false);
  // A TrueType font resource of the library, known from then on by fontID.
  bool LoadFont(const char* fontID, const char* fileName);
  bool HasFont(const char* fontID) const;

  // --- controls
  // Attaches a control under a tag (kNoTag for none) and a group name; the view owns it from now on.
  // A control whose tag is already attached is refused: it is destroyed and nullptr is returned.
  IControl* AttachControl(IControl* control, int ctrlTag = kNoTag, const char* group = "");
  // An IBitmapControl of the whole bitmap at (0, 0), drawn before every other control.
  void AttachBackground(const char* fileName);
  // The corner resizer: the size x size square in the bottom-right corner, padded inward by 1.
  void AttachCornerResizer(EUIResizerMode sizeMode = EUIResizerMode::Scale, bool layoutOnResize = false,
                           const IColor& color = COLOR_TRANSLUCENT, const IColor& mouseOverColor = COLOR_DARK_GRAY,
                           const IColor& dragColor = COLOR_GRAY, float size = kDefaultResizerSize);
  IControl* GetControlWithTag(int ctrlTag) const;
  int NControls() const { return static_cast<int>(mControls.size()); }
  IControl* GetControl(int idx) const;
  ICornerResizerControl* GetCornerResizer() const { return mCornerResizer.get(); }
  EUIResizerMode GetResizerMode() const { return mResizerMode; }
  // Calls func for every control bound to the parameter, with the value index that is bound.
  void ForControlsWithParam(int paramIdx, const std::function<void(IControl&, int valIdx)>& func) const;

  // --- mouse, in view units (the window divides its pixels by the total scale)
  void OnMouseDown(float x, float y, const IMouseMod& mod);
  void OnMouseUp(float x, float y, const IMouseMod& mod);
  void OnMouseDrag(float x, float y, const IMouseMod& mod);
  void OnMouseOver(float x, float y, const IMouseMod& mod);
  void OnMouseOut();
  // The control that the held mouse button went down on, or nullptr.
  IControl* GetCapturedControl() const { return mCapturedControl; }

  // --- drawing
  bool IsDirty() const;
  void SetAllControlsDirty();
  // Draws every visible control (the background first, the corner resizer last) and clears the
  // dirty marks. The window calls it inside its frame; the drawing operations below do the work.
  void Draw();

  virtual void DrawBitmap(const IBitmap& /*bitmap*/, const IRECT& /*dest*/, int /*srcX*/, int /*srcY*/,
                          const IBlend* /*blend*/ = nullptr)
  {
  }
  virtual void FillRect(const IColor& /*color*/, const IRECT& /*bounds*/) {}
  virtual void FillTriangle(const IColor& /*color*/, float /*x1*/, float /*y1*/, float /*x2*/, float /*y2*/,
                            float /*x3*/, float /*y3*/)
  {
  }
  virtual void DrawText(const IText& /*text*/, const char* /*str*/, const IRECT& /*bounds*/) {}

  // --- window (none in this base)
  // Creates the window inside the host's parent window; true when it exists.
  virtual bool OpenWindow(void* /*parent*/) { return true; }
  virtual void CloseWindow() {}
  // The host gave the window this size in pixels.
  virtual void SetPlatformWindowSize(int /*widthPx*/, int /*heightPx*/) {}
  // The window's native handle, or nullptr.
  virtual void* GetWindow() const { return nullptr; }
  // Processes pending window events and redraws when something is dirty (for run loops that drive
  // the window from outside, such as a Linux host's).
  virtual void ProcessEvents() {}
  // The file descriptor that a host's run loop watches for the window's events (-1: none).
  virtual int GetEventFileDescriptor() const { return -1; }

  // Sent by IControl::SetDirty for a value bound to a parameter.
  void SendParameterValueFromControl(IControl& control, int paramIdx, double normalizedValue);
  // Every control of the parameter other than the one sending it takes the value.
  void UpdatePeers(int paramIdx, double normalizedValue);

protected:
  // The window's new pixel size after a change of size or scale; the base asks the host.
  virtual void PlatformResize(int widthPx, int heightPx);
  // Font bytes for the drawing back end: ID and the resource's bytes (valid for the library's life).
  struct FontResource
  {
    std::string mID;
    const unsigned char* mData = nullptr;
    size_t mSize = 0;
  };
  const std::vector<FontResource>& GetFonts() const { return mFonts; }

private:
  IControl* FindMouseControl(float x, float y) const;
  void ReleaseCapture();

  IGEditorDelegate& mDelegate;
  int mWidth;
  int mHeight;
  int mFPS;
  float mDrawScale;
  float mScreenScale = 1.f;
  void* mWinModule = nullptr;
  std::function<void(int, int)> mWindowResizeRequest;

  std::vector<std::unique_ptr<IControl>> mControls;
  std::unordered_map<int, IControl*> mTagMap;
  std::unique_ptr<ICornerResizerControl> mCornerResizer;
  EUIResizerMode mResizerMode = EUIResizerMode::Scale;
  bool mLayoutOnResize = false;
  bool mAllDirty = true;

  std::map<std::string, std::shared_ptr<const BitmapData>> mBitmapCache;
  std::vector<FontResource> mFonts;

  IControl* mCapturedControl = nullptr;
  IControl* mMouseOverControl = nullptr;
  int mGestureParam = kNoParameter;
  float mLastMouseX = 0.f;
  float mLastMouseY = 0.f;
  IControl* mSendingControl = nullptr;
};

// Makes the platform's editor view (NanoVG on OpenGL in a window of its own inside the host's).
IGraphics* MakeGraphics(IGEditorDelegate& dlg, int w, int h, int fps = 60, float scale = 1.f);
