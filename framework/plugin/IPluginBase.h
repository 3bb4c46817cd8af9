#pragma once

#include <string>

#include "../graphics/IGEditorDelegate.h"
#include "IByteChunk.h"
#include "IPlugConfig.h"

// What every plug-in has whatever its format: its names and IDs, its parameters, its state hooks.
class IPluginBase : public IGEditorDelegate
{
public:
  explicit IPluginBase(const Config& config);
  ~IPluginBase() override;

  const char* GetPluginName() const { return mPluginName.c_str(); }
  const char* GetProductName() const { return mProductName.c_str(); }
  const char* GetMfrName() const { return mMfrName.c_str(); }
  int GetPluginVersion() const { return mVersion; }
  // "major.minor.bugfix" of the vendor version 0xMMMMmmbb.
  std::string GetPluginVersionStr() const;
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  bool DoesStateChunks() const { return mStateChunks; }
  bool HasUI() const { return mHasUI; }
  int GetEditorWidth() const { return mEditorWidth; }
  int GetEditorHeight() const { return mEditorHeight; }
  int GetMinWidth() const { return mMinWidth; }
  int GetMaxWidth() const { return mMaxWidth; }
  int GetMinHeight() const { return mMinHeight; }
  int GetMaxHeight() const { return mMaxHeight; }
  bool GetHostResizeEnabled() const { return mHostResize; }

  // State hooks. The defaults store and read every parameter's value as a double.
  virtual bool SerializeState(IByteChunk& chunk) const { return SerializeParams(chunk); }
  virtual int UnserializeState(const IByteChunk& chunk, int startPos) { return UnserializeParams(chunk, startPos); }
  bool SerializeParams(IByteChunk& chunk) const;
  int UnserializeParams(const IByteChunk& chunk, int startPos);

  // Every idle tick, on the main thread.
  virtual void OnIdle() {}
  virtual bool OnHostRequestingSupportedViewConfiguration(int /*width*/, int /*height*/) { return true; }

  // Sets every parameter to its default and runs OnParamChange for each in index order, then
  // OnParamChangeUI with the given source.
  void OnParamReset(EParamSource source);

private:
  std::string mPluginName;
  std::string mProductName;
  std::string mMfrName;
  int mVersion = 0;
  int mUniqueID = 0;
  int mMfrID = 0;
  bool mStateChunks = false;
  bool mHasUI = false;
  int mEditorWidth = 0;
  int mEditorHeight = 0;
  int mMinWidth = 0;
  int mMaxWidth = 0;
  int mMinHeight = 0;
  int mMaxHeight = 0;
  bool mHostResize = false;
};
