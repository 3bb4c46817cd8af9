#pragma once

class IGraphics;
class Krellbinder;

// The editor's view: the editor's size (EditorSize.h) at 60 frames per second and draw scale 1.0,
// with the plug-in as its delegate. Made anew each time the host opens the editor; the framework owns it.
IGraphics* MakeEditorGraphics(Krellbinder& plug);

// Fills a new view: the corner resizer, the font, the background, the bitmaps and the 208 controls,
// then the scale saved in the settings file (or the plug-in's own, without one).
void LayoutEditor(Krellbinder& plug, IGraphics* pGraphics);
