#include "IPluginBase.h"

#include <cstdio>

IPluginBase::IPluginBase(const Config& config)
  : IGEditorDelegate(config.nParams)
  , mPluginName(config.pluginName ? config.pluginName : "")
  , mProductName(config.productName ? config.productName : "")
  , mMfrName(config.mfrName ? config.mfrName : "")
  , mVersion(config.vendorVersion)
  , mUniqueID(config.uniqueID)
  , mMfrID(config.mfrID)
  , mStateChunks(config.plugDoesChunks)
  , mHasUI(config.plugHasUI)
  , mEditorWidth(config.plugWidth)
  , mEditorHeight(config.plugHeight)
  , mMinWidth(config.plugMinWidth)
  , mMaxWidth(config.plugMaxWidth)
  , mMinHeight(config.plugMinHeight)
  , mMaxHeight(config.plugMaxHeight)
  , mHostResize(config.plugHostResize)
{
}

IPluginBase::~IPluginBase() = default;

std::string IPluginBase::GetPluginVersionStr() const
{
  char text[32];
  std::snprintf(text, sizeof(text), "%d.%d.%d", (mVersion >> 16) & 0xFFFF, (mVersion >> 8) & 0xFF, mVersion & 0xFF);
  return text;
}

bool IPluginBase::SerializeParams(IByteChunk& chunk) const
{
  bool ok = true;
  for (int i = 0; i < NParams(); ++i)
  {
    const double value = GetParam(i)->Value();
    ok = chunk.Put(&value) > 0 && ok;
  }
  return ok;
}

int IPluginBase::UnserializeParams(const IByteChunk& chunk, int startPos)
{
  int pos = startPos;
  for (int i = 0; i < NParams() && pos >= 0; ++i)
  {
    double value = 0.0;
    pos = chunk.Get(&value, pos);
    if (pos >= 0)
      GetParam(i)->Set(value);
  }
  return pos;
}

void IPluginBase::OnParamReset(EParamSource source)
{
  for (int i = 0; i < NParams(); ++i)
  {
    GetParam(i)->SetToDefault();
    OnParamChange(i);
  }
  for (int i = 0; i < NParams(); ++i)
    OnParamChangeUI(i, source);
}
