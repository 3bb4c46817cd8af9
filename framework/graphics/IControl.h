#pragma once

#include <string>

class IGraphics;
class IEditorDelegate;

// Base of every editor control. (Placeholder until the editor's drawing layer lands: only what the
// core calls on a control.)
class IControl
{
public:
  virtual ~IControl() = default;

  virtual void OnMsgFromDelegate(int /*msgTag*/, int /*dataSize*/, const void* /*data*/) {}
  virtual void SetValueFromDelegate(double value, int /*valIdx*/ = 0) { mValue = value; }
  virtual void SetValue(double value, int /*valIdx*/ = 0) { mValue = value; }
  virtual void SetDirty(bool /*triggerAction*/ = true, int /*valIdx*/ = -1) {}
  double GetValue(int /*valIdx*/ = 0) const { return mValue; }
  int GetTag() const { return mTag; }
  int GetParamIdx() const { return mParamIdx; }

protected:
  double mValue = 0.0;
  int mTag = -1;
  int mParamIdx = -1;
};

class ITextControl : public IControl
{
public:
  virtual void SetStr(const char* str) { mStr = str ? str : ""; }
  const char* GetStr() const { return mStr.c_str(); }

private:
  std::string mStr;
};
