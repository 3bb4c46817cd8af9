#pragma once

#include <functional>
#include <memory>

#include "../plugin/IEditorDelegate.h"
#include "IGraphics.h"

// The editor delegate with a graphics editor: makes the IGraphics context when the host opens the
// editor and lays it out once its window exists.
class IGEditorDelegate : public IEditorDelegate
{
public:
  explicit IGEditorDelegate(int nParams) : IEditorDelegate(nParams) {}
  ~IGEditorDelegate() override = default;

  virtual IGraphics* CreateGraphics() { return mMakeGraphicsFunc ? mMakeGraphicsFunc() : nullptr; }
  virtual void LayoutUI(IGraphics* graphics)
  {
    if (mLayoutFunc)
      mLayoutFunc(graphics);
  }

  // The open editor's context, or nullptr while the editor is closed.
  IGraphics* GetUI() const { return mGraphics.get(); }

  void SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize = 0, const void* data = nullptr) override;

protected:
  std::function<IGraphics*()> mMakeGraphicsFunc;
  std::function<void(IGraphics*)> mLayoutFunc;

private:
  std::unique_ptr<IGraphics> mGraphics;
};
