#include "KrellbinderConfig.h"

#include "EditorSize.h"
#include "KrellbinderParams.h"
#include "plugin/IPlugConstants.h"

Config BuildPluginConfig()
{
  Config config;
  config.nParams = kNumParams;
  config.nPresets = 1;
  config.channelIOStr = "0-2.2.2.2.2.2.2.2.2.2.2.2";
  config.pluginName = "Krellbinder";
  config.productName = "Krellbinder";
  config.mfrName = "Ombrix";
  config.vendorVersion = 0;
  config.uniqueID = MakeFourCC("85PM");
  config.mfrID = MakeFourCC("Vexo");
  config.latency = 0;
  config.plugDoesMidiIn = true;
  config.plugDoesMidiOut = false;
  config.plugDoesMPE = false;
  config.plugDoesChunks = false;
  config.plugType = kInstrument;
  config.plugHasUI = true;
  config.plugWidth = kEditorWidth;
  config.plugHeight = kEditorHeight;
  config.plugMinWidth = 256;
  config.plugMaxWidth = 8192;
  config.plugMinHeight = 256;
  config.plugMaxHeight = 8192;
  config.plugHostResize = false;
  config.bundleID = "";
  config.appGroupID = "";
  return config;
}
