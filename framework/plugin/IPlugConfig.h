#pragma once

// The configuration record from which a plug-in builds its framework base.
// Text fields point to constant strings that outlive the plug-in.
struct Config
{
  int nParams = 0;
  int nPresets = 1;
  const char* channelIOStr = "";
  const char* pluginName = "";
  const char* productName = "";
  const char* mfrName = "";
  int vendorVersion = 0;
  int uniqueID = 0;
  int mfrID = 0;
  int latency = 0;
  bool plugDoesMidiIn = false;
  bool plugDoesMidiOut = false;
  bool plugDoesMPE = false;
  bool plugDoesChunks = false;
  int plugType = 0;
  bool plugHasUI = false;
  int plugWidth = 0;
  int plugHeight = 0;
  int plugMinWidth = 0;
  int plugMaxWidth = 0;
  int plugMinHeight = 0;
  int plugMaxHeight = 0;
  bool plugHostResize = false;
  const char* bundleID = "";
  const char* appGroupID = "";
};

// What the factory hands to the plug-in constructor; VST3 carries nothing.
struct InstanceInfo
{};

// Four-character code as a 32-bit integer, first character in the top byte.
constexpr int MakeFourCC(const char (&code)[5])
{
  return (static_cast<int>(static_cast<unsigned char>(code[0])) << 24) |
         (static_cast<int>(static_cast<unsigned char>(code[1])) << 16) |
         (static_cast<int>(static_cast<unsigned char>(code[2])) << 8) |
         static_cast<int>(static_cast<unsigned char>(code[3]));
}
