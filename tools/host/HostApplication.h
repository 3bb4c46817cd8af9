#pragma once
// The host context handed to the plug-in's initialize (IHostApplication), with the message and
// attribute-list objects a plug-in may create through it.

#include "HostObject.h"

#include "pluginterfaces/base/smartpointer.h"
#include "pluginterfaces/vst/ivstattributes.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstmessage.h"

#include <map>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

namespace krb::host
{

class HostApplication : public HostObject<Steinberg::Vst::IHostApplication>
{
public:
  explicit HostApplication(std::string name = "krbhost");

  // Answers what it does not implement itself from the run loop it offers, if any.
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  Steinberg::tresult PLUGIN_API getName(Steinberg::Vst::String128 name) override;
  Steinberg::tresult PLUGIN_API createInstance(Steinberg::TUID cid, Steinberg::TUID iid, void** obj) override;

  // Offers the plug-ins the run loop of the host's main thread through the context, as several
  // Linux hosts do (a HostRunLoop: Linux::IRunLoop); null, the default, offers none. Set it before
  // the plug-ins' initialize, where they ask for it, and not while one of them is being initialized.
  void OfferRunLoop(Steinberg::FUnknown* runLoop) { mRunLoop = runLoop; }

private:
  std::string mName;
  Steinberg::IPtr<Steinberg::FUnknown> mRunLoop;
};

class HostAttributeList : public HostObject<Steinberg::Vst::IAttributeList>
{
public:
  Steinberg::tresult PLUGIN_API setInt(AttrID id, Steinberg::int64 value) override;
  Steinberg::tresult PLUGIN_API getInt(AttrID id, Steinberg::int64& value) override;
  Steinberg::tresult PLUGIN_API setFloat(AttrID id, double value) override;
  Steinberg::tresult PLUGIN_API getFloat(AttrID id, double& value) override;
  Steinberg::tresult PLUGIN_API setString(AttrID id, const Steinberg::Vst::TChar* string) override;
  Steinberg::tresult PLUGIN_API getString(AttrID id, Steinberg::Vst::TChar* string,
                                          Steinberg::uint32 sizeInBytes) override;
  Steinberg::tresult PLUGIN_API setBinary(AttrID id, const void* data, Steinberg::uint32 sizeInBytes) override;
  Steinberg::tresult PLUGIN_API getBinary(AttrID id, const void*& data, Steinberg::uint32& sizeInBytes) override;

private:
  using Value = std::variant<Steinberg::int64, double, std::u16string, std::vector<char>>;
  std::mutex mMutex;
  std::map<std::string, Value> mValues;
};

class HostMessage : public HostObject<Steinberg::Vst::IMessage>
{
public:
  HostMessage();
  ~HostMessage() override;

  Steinberg::FIDString PLUGIN_API getMessageID() override;
  void PLUGIN_API setMessageID(Steinberg::FIDString id) override;
  Steinberg::Vst::IAttributeList* PLUGIN_API getAttributes() override;

private:
  std::string mId;
  HostAttributeList* mAttributes;
};

} // namespace krb::host
