#pragma once
// The host's IParameterChanges and IParamValueQueue: fixed pools, so that neither the host nor
// a plug-in writing output changes allocates while processing.

#include "HostObject.h"

#include "pluginterfaces/vst/ivstparameterchanges.h"

#include <cstddef>
#include <deque>
#include <vector>

namespace krb::host
{

class ParamValueQueue : public EmbeddedHostObject<Steinberg::Vst::IParamValueQueue>
{
public:
  explicit ParamValueQueue(std::size_t capacity = 64);

  Steinberg::Vst::ParamID PLUGIN_API getParameterId() override { return mId; }
  Steinberg::int32 PLUGIN_API getPointCount() override;
  Steinberg::tresult PLUGIN_API getPoint(Steinberg::int32 index, Steinberg::int32& sampleOffset,
                                         Steinberg::Vst::ParamValue& value) override;
  // Keeps the points ordered by offset; a point at an offset already held replaces its value.
  Steinberg::tresult PLUGIN_API addPoint(Steinberg::int32 sampleOffset, Steinberg::Vst::ParamValue value,
                                         Steinberg::int32& index) override;

  void Reset(Steinberg::Vst::ParamID id);

private:
  struct Point
  {
    Steinberg::int32 mOffset;
    Steinberg::Vst::ParamValue mValue;
  };
  Steinberg::Vst::ParamID mId = 0;
  std::vector<Point> mPoints;
  std::size_t mCount = 0;
};

class ParameterChanges : public EmbeddedHostObject<Steinberg::Vst::IParameterChanges>
{
public:
  explicit ParameterChanges(std::size_t queueCapacity = 512, std::size_t pointCapacity = 64);

  Steinberg::int32 PLUGIN_API getParameterCount() override;
  Steinberg::Vst::IParamValueQueue* PLUGIN_API getParameterData(Steinberg::int32 index) override;
  // Returns the parameter's queue if it has one already; null when the pool is used up.
  Steinberg::Vst::IParamValueQueue* PLUGIN_API addParameterData(const Steinberg::Vst::ParamID& id,
                                                                Steinberg::int32& index) override;

  // Adds one point; false when a pool is used up.
  bool AddChange(Steinberg::Vst::ParamID id, Steinberg::int32 sampleOffset, Steinberg::Vst::ParamValue value);
  // The value of the parameter's last point in this block, if it has a queue.
  bool LastValue(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue& value);
  void Clear() { mCount = 0; }

private:
  std::deque<ParamValueQueue> mQueues; // deque: the queues cannot move
  std::size_t mCount = 0;
};

} // namespace krb::host
