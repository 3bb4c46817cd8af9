#include "Krellbinder.h"

void Krellbinder::OnIdle() {}

IGraphics* Krellbinder::CreateGraphics() { return IPlugVST3::CreateGraphics(); }

void Krellbinder::OnUIOpen() { IPlugVST3::OnUIOpen(); }
