#pragma once

// The editor's size in view units at scale 1: the size the host learns from the plug-in, the view that
// the layout fills and the background bitmap. Plain C, so that the art generator (tools/artgen) draws
// its canvas at this size.
static const int kEditorWidth = 1206;
static const int kEditorHeight = 616;
