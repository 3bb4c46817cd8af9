#include "EditorView.h"

// Until the editor's window layer exists there is no view to offer.
Steinberg::IPlugView* MakeEditorView(IPlugVST3& /*plug*/) { return nullptr; }
