#include "Krellbinder.h"

void Krellbinder::OnParamChange(int /*paramIdx*/) {}
