#include "Krellbinder.h"

void Krellbinder::OnParamChangeUI(int /*paramIdx*/, EParamSource /*source*/) {}
