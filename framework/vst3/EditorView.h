#pragma once

#include "VST3Sdk.h"

class IPlugVST3;

// Makes the editor's VST3 view for a plug-in, or nullptr when no editor can be shown.
Steinberg::IPlugView* MakeEditorView(IPlugVST3& plug);
