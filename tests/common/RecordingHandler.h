#pragma once

#include <vector>

#include "pluginterfaces/vst/ivsteditcontroller.h"

// The host's side of the edit controller: keeps every parameter value the plug-in reports, in order,
// and the flags of every restart it asks for.
class RecordingHandler final : public Steinberg::Vst::IComponentHandler
{
public:
  struct Edit
  {
    Steinberg::Vst::ParamID id;
    double value;
    bool operator==(const Edit&) const = default;
  };

  Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID) override { return Steinberg::kResultOk; }
  Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue value) override
  {
    mEdits.push_back({id, value});
    return Steinberg::kResultOk;
  }
  Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID) override { return Steinberg::kResultOk; }
  Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32 flags) override
  {
    mRestarts.push_back(flags);
    return Steinberg::kResultOk;
  }
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override
  {
    using namespace Steinberg;
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) || FUnknownPrivate::iidEqual(iid, Vst::IComponentHandler::iid))
    {
      *obj = this;
      return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
  }
  Steinberg::uint32 PLUGIN_API addRef() override { return 2; }
  Steinberg::uint32 PLUGIN_API release() override { return 1; }

  // The ids of the edits, in order.
  std::vector<Steinberg::Vst::ParamID> Ids() const
  {
    std::vector<Steinberg::Vst::ParamID> ids;
    for (const Edit& edit : mEdits)
      ids.push_back(edit.id);
    return ids;
  }

  std::vector<Edit> mEdits;
  std::vector<Steinberg::int32> mRestarts;
};
