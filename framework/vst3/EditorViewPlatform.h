#pragma once

#include <functional>
#include <memory>

#include "VST3Sdk.h"

class IGraphics;

// What the editor's VST3 view does differently by platform: the platform type it embeds into, and
// how the window's events, its redraws and (where it does not run by itself) the idle tick are driven
// while the editor is open.
class EditorViewPlatform
{
public:
  static std::unique_ptr<EditorViewPlatform> Create();
  // The IPlugView platform type of the host's parent window.
  static const char* PlatformType();

  virtual ~EditorViewPlatform() = default;

  // Before the window opens; false when the host gives the editor no way to run.
  virtual bool Prepare(Steinberg::IPlugFrame* frame) = 0;
  // The screen scale of the parent window when the host gives none.
  virtual float DefaultScreenScale(void* parent) const = 0;
  // After the window opened: drives it, and calls idleTick (when set) every idleMs milliseconds.
  virtual bool Start(IGraphics& graphics, std::function<void()> idleTick, int idleMs) = 0;
  // Before the window closes: nothing is driven any more.
  virtual void Stop() = 0;
};
