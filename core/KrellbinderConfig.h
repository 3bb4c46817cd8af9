#pragma once

#include "plugin/IPlugConfig.h"

// The framework configuration of the plug-in.
Config BuildPluginConfig();
