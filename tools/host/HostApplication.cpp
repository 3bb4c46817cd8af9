#include "HostApplication.h"

#include "HostStrings.h"

#include <cstring>

using namespace Steinberg;

namespace krb::host
{

HostApplication::HostApplication(std::string name)
  : mName(std::move(name))
{
}

tresult PLUGIN_API HostApplication::queryInterface(const TUID iid, void** obj)
{
  const tresult own = HostObject::queryInterface(iid, obj);
  if (own == kNoInterface && mRunLoop)
    return mRunLoop->queryInterface(iid, obj);
  return own;
}

tresult PLUGIN_API HostApplication::getName(Vst::String128 name)
{
  if (name == nullptr)
    return kInvalidArgument;
  CopyToString128(mName, name);
  return kResultOk;
}

tresult PLUGIN_API HostApplication::createInstance(TUID cid, TUID iid, void** obj)
{
  if (obj == nullptr)
    return kInvalidArgument;
  *obj = nullptr;
  FUnknown* created = nullptr;
  if (IidEqual(cid, Vst::IMessage::iid.toTUID()))
    created = static_cast<Vst::IMessage*>(new HostMessage);
  else if (IidEqual(cid, Vst::IAttributeList::iid.toTUID()))
    created = static_cast<Vst::IAttributeList*>(new HostAttributeList);
  else
    return kNoInterface;
  const tresult result = created->queryInterface(iid, obj);
  created->release();
  return result;
}

tresult PLUGIN_API HostAttributeList::setInt(AttrID id, int64 value)
{
  if (id == nullptr)
    return kInvalidArgument;
  std::lock_guard lock(mMutex);
  mValues[id] = value;
  return kResultOk;
}

tresult PLUGIN_API HostAttributeList::getInt(AttrID id, int64& value)
{
  if (id == nullptr)
    return kInvalidArgument;
  std::lock_guard lock(mMutex);
  auto it = mValues.find(id);
  if (it == mValues.end() || !std::holds_alternative<int64>(it->second))
    return kResultFalse;
  value = std::get<int64>(it->second);
  return kResultOk;
}

tresult PLUGIN_API HostAttributeList::setFloat(AttrID id, double value)
{
  if (id == nullptr)
    return kInvalidArgument;
  std::lock_guard lock(mMutex);
  mValues[id] = value;
  return kResultOk;
}

tresult PLUGIN_API HostAttributeList::getFloat(AttrID id, double& value)
{
  if (id == nullptr)
    return kInvalidArgument;
  std::lock_guard lock(mMutex);
  auto it = mValues.find(id);
  if (it == mValues.end() || !std::holds_alternative<double>(it->second))
    return kResultFalse;
  value = std::get<double>(it->second);
  return kResultOk;
}

tresult PLUGIN_API HostAttributeList::setString(AttrID id, const Vst::TChar* string)
{
  if (id == nullptr || string == nullptr)
    return kInvalidArgument;
  std::u16string text;
  for (const Vst::TChar* p = string; *p != 0; ++p)
    text += static_cast<char16_t>(*p);
  std::lock_guard lock(mMutex);
  mValues[id] = std::move(text);
  return kResultOk;
}

tresult PLUGIN_API HostAttributeList::getString(AttrID id, Vst::TChar* string, uint32 sizeInBytes)
{
  if (id == nullptr || string == nullptr)
    return kInvalidArgument;
  std::lock_guard lock(mMutex);
  auto it = mValues.find(id);
  if (it == mValues.end() || !std::holds_alternative<std::u16string>(it->second))
    return kResultFalse;
  const std::u16string& text = std::get<std::u16string>(it->second);
  const uint32 capacity = sizeInBytes / sizeof(Vst::TChar);
  if (capacity == 0)
    return kResultFalse;
  const uint32 length =
    static_cast<uint32>(text.size()) < capacity - 1 ? static_cast<uint32>(text.size()) : capacity - 1;
  for (uint32 i = 0; i < length; ++i)
    string[i] = static_cast<Vst::TChar>(text[i]);
  string[length] = 0;
  return kResultOk;
}

tresult PLUGIN_API HostAttributeList::setBinary(AttrID id, const void* data, uint32 sizeInBytes)
{
  if (id == nullptr || (data == nullptr && sizeInBytes > 0))
    return kInvalidArgument;
  const char* bytes = static_cast<const char*>(data);
  std::lock_guard lock(mMutex);
  mValues[id] = std::vector<char>(bytes, bytes + sizeInBytes);
  return kResultOk;
}

tresult PLUGIN_API HostAttributeList::getBinary(AttrID id, const void*& data, uint32& sizeInBytes)
{
  if (id == nullptr)
    return kInvalidArgument;
  std::lock_guard lock(mMutex);
  auto it = mValues.find(id);
  if (it == mValues.end() || !std::holds_alternative<std::vector<char>>(it->second))
    return kResultFalse;
  const auto& bytes = std::get<std::vector<char>>(it->second);
  data = bytes.data();
  sizeInBytes = static_cast<uint32>(bytes.size());
  return kResultOk;
}

HostMessage::HostMessage()
  : mAttributes(new HostAttributeList)
{
}

HostMessage::~HostMessage() { mAttributes->release(); }

FIDString PLUGIN_API HostMessage::getMessageID() { return mId.c_str(); }

void PLUGIN_API HostMessage::setMessageID(FIDString id) { mId = id != nullptr ? id : ""; }

Vst::IAttributeList* PLUGIN_API HostMessage::getAttributes() { return mAttributes; }

} // namespace krb::host
