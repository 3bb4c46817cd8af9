#pragma once

#include <functional>
#include <memory>

#include "../plugin/IEditorDelegate.h"
#include "IGraphics.h"

// The editor delegate with a graphics editor: makes the IGraphics context when the host opens the
// editor, lays it out once its window exists, and carries values between the plug-in and the
// context's controls while it is open.
class IGEditorDelegate : public IEditorDelegate
{
public:
  explicit IGEditorDelegate(int nParams);
  ~IGEditorDelegate() override;

  // Makes a new context with the make-graphics function (nullptr when none is set).
  virtual IGraphics* CreateGraphics() { return mMakeGraphicsFunc ? mMakeGraphicsFunc() : nullptr; }
  // Fills the context with the layout function, once per opened window.
  virtual void LayoutUI(IGraphics* graphics)
  {
    if (mLayoutFunc)
      mLayoutFunc(graphics);
  }

  // Opens the editor inside the host's parent window (nullptr: no window, as in the tests): makes the
  // context (CreateGraphics), sets its screen scale and how it asks the host for a new window size,
  // opens its window, runs LayoutUI and then OnUIOpen. Returns the context, or nullptr when no
  // context or no window could be made or the editor is open already.
  IGraphics* OpenWindow(void* parent, float screenScale = 1.f,
                        std::function<void(int widthPx, int heightPx)> resizeRequest = nullptr);
  // Runs OnUIClose, closes the window and destroys the context with all its controls.
  void CloseWindow();

  // The open editor's context, or nullptr while the editor is closed.
  IGraphics* GetUI() const { return mGraphics.get(); }
  // The window size in pixels of the last editor that closed (0 x 0 before the first).
  int GetLastWindowWidth() const { return mLastWindowWidth; }
  int GetLastWindowHeight() const { return mLastWindowHeight; }

  // To the control with that tag, when the editor is open and the control exists.
  void SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize = 0, const void* data = nullptr) override;
  // To every control bound to the parameter (each ignores it while the mouse holds it).
  void SendParameterValueFromDelegate(int paramIdx, double value, bool normalized) override;

protected:
  void UpdateOtherControlsOfParam(int paramIdx, double normalizedValue) override;

  std::function<IGraphics*()> mMakeGraphicsFunc;
  std::function<void(IGraphics*)> mLayoutFunc;

private:
  std::unique_ptr<IGraphics> mGraphics;
  int mLastWindowWidth = 0;
  int mLastWindowHeight = 0;
};
