#pragma once
// The host's IComponentHandler (and IComponentHandler2): records every call the plug-in makes,
// so tests can check the edits an editor or the controller sends.

#include "HostObject.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>
#include <thread>
#include <vector>

namespace krb::host
{

enum class EHandlerCall
{
  kBeginEdit,
  kPerformEdit,
  kEndEdit,
  kRestartComponent,
  kSetDirty,
  kRequestOpenEditor,
  kStartGroupEdit,
  kFinishGroupEdit
};

const char* HandlerCallName(EHandlerCall call);

struct HandlerCall
{
  EHandlerCall mCall;
  Steinberg::Vst::ParamID mId = 0;       // edits
  Steinberg::Vst::ParamValue mValue = 0; // performEdit: the value; setDirty: 1 or 0
  Steinberg::int32 mFlags = 0;           // restartComponent: the RestartFlags
  std::thread::id mThread;
};

class ComponentHandler : public HostObject<Steinberg::Vst::IComponentHandler, Steinberg::Vst::IComponentHandler2>
{
public:
  // IComponentHandler
  Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID id) override;
  Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID id,
                                            Steinberg::Vst::ParamValue valueNormalized) override;
  Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID id) override;
  Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32 flags) override;
  // IComponentHandler2
  Steinberg::tresult PLUGIN_API setDirty(Steinberg::TBool state) override;
  Steinberg::tresult PLUGIN_API requestOpenEditor(Steinberg::FIDString name) override;
  Steinberg::tresult PLUGIN_API startGroupEdit() override;
  Steinberg::tresult PLUGIN_API finishGroupEdit() override;

  std::vector<HandlerCall> Calls() const;
  void Clear();
  // Calls of one kind, for one parameter when id is given.
  std::size_t Count(EHandlerCall call, std::optional<Steinberg::Vst::ParamID> id = std::nullopt) const;
  // The performEdit calls as (parameter, value), in order.
  std::vector<std::pair<Steinberg::Vst::ParamID, Steinberg::Vst::ParamValue>> PerformedEdits() const;
  // The flags of the restartComponent calls, in order.
  std::vector<Steinberg::int32> RestartFlags() const;
  // The value of the last performEdit for the parameter.
  std::optional<Steinberg::Vst::ParamValue> LastPerformedValue(Steinberg::Vst::ParamID id) const;
  // True when every performEdit came between a beginEdit and an endEdit of its parameter and
  // no edit is still open.
  bool EditsBalanced() const;

  // Called after each recorded call (on the plug-in's calling thread), e.g. to pass edits on
  // to the processor.
  void SetListener(std::function<void(const HandlerCall&)> listener);

private:
  Steinberg::tresult Record(EHandlerCall kind, Steinberg::Vst::ParamID id = 0, Steinberg::Vst::ParamValue value = 0,
                            Steinberg::int32 flags = 0);

  mutable std::mutex mMutex;
  std::vector<HandlerCall> mCalls;
  std::function<void(const HandlerCall&)> mListener;
};

} // namespace krb::host
