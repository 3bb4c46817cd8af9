#include "Krellbinder.h"

#include "EditorLayout.h"
#include "EditorSettings.h"
#include "KrellbinderConfig.h"

Krellbinder::Krellbinder(const InstanceInfo& info)
  : IPlugVST3(info, BuildPluginConfig())
{
  InitParams();
  mMakeGraphicsFunc = [this]() { return MakeEditorGraphics(*this); };
  mLayoutFunc = [this](IGraphics* pGraphics) { LayoutEditor(*this, pGraphics); };
}

// The scale goes to the settings file even when the editor was never opened (closing an editor has
// written it too).
Krellbinder::~Krellbinder() { SaveEditorSettings(mGuiSize); }

bool Krellbinder::OnHostRequestingSupportedViewConfiguration(int /*width*/, int /*height*/) { return true; }
