#pragma once

class IControl;

// The editor's drawing context. (Placeholder until the editor's drawing layer lands.)
class IGraphics
{
public:
  virtual ~IGraphics() = default;
  virtual IControl* GetControlWithTag(int /*ctrlTag*/) const { return nullptr; }
  virtual float GetDrawScale() const { return 1.0f; }
};
