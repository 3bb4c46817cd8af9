#include "ParameterChanges.h"

using namespace Steinberg;

namespace krb::host
{

ParamValueQueue::ParamValueQueue(std::size_t capacity)
  : mPoints(capacity)
{
}

int32 PLUGIN_API ParamValueQueue::getPointCount() { return static_cast<int32>(mCount); }

tresult PLUGIN_API ParamValueQueue::getPoint(int32 index, int32& sampleOffset, Vst::ParamValue& value)
{
  if (index < 0 || static_cast<std::size_t>(index) >= mCount)
    return kInvalidArgument;
  sampleOffset = mPoints[static_cast<std::size_t>(index)].mOffset;
  value = mPoints[static_cast<std::size_t>(index)].mValue;
  return kResultOk;
}

tresult PLUGIN_API ParamValueQueue::addPoint(int32 sampleOffset, Vst::ParamValue value, int32& index)
{
  std::size_t position = mCount;
  while (position > 0 && mPoints[position - 1].mOffset > sampleOffset)
    --position;
  if (position > 0 && mPoints[position - 1].mOffset == sampleOffset)
  {
    mPoints[position - 1].mValue = value;
    index = static_cast<int32>(position - 1);
    return kResultOk;
  }
  if (mCount >= mPoints.size())
    return kResultFalse;
  for (std::size_t i = mCount; i > position; --i)
    mPoints[i] = mPoints[i - 1];
  mPoints[position] = {sampleOffset, value};
  ++mCount;
  index = static_cast<int32>(position);
  return kResultOk;
}

void ParamValueQueue::Reset(Vst::ParamID id)
{
  mId = id;
  mCount = 0;
}

ParameterChanges::ParameterChanges(std::size_t queueCapacity, std::size_t pointCapacity)
{
  for (std::size_t i = 0; i < queueCapacity; ++i)
    mQueues.emplace_back(pointCapacity);
}

int32 PLUGIN_API ParameterChanges::getParameterCount() { return static_cast<int32>(mCount); }

Vst::IParamValueQueue* PLUGIN_API ParameterChanges::getParameterData(int32 index)
{
  if (index < 0 || static_cast<std::size_t>(index) >= mCount)
    return nullptr;
  return &mQueues[static_cast<std::size_t>(index)];
}

Vst::IParamValueQueue* PLUGIN_API ParameterChanges::addParameterData(const Vst::ParamID& id, int32& index)
{
  for (std::size_t i = 0; i < mCount; ++i)
  {
    if (mQueues[i].getParameterId() == id)
    {
      index = static_cast<int32>(i);
      return &mQueues[i];
    }
  }
  if (mCount >= mQueues.size())
    return nullptr;
  mQueues[mCount].Reset(id);
  index = static_cast<int32>(mCount);
  return &mQueues[mCount++];
}

bool ParameterChanges::AddChange(Vst::ParamID id, int32 sampleOffset, Vst::ParamValue value)
{
  int32 index = 0;
  Vst::IParamValueQueue* queue = addParameterData(id, index);
  if (queue == nullptr)
    return false;
  int32 pointIndex = 0;
  return queue->addPoint(sampleOffset, value, pointIndex) == kResultOk;
}

bool ParameterChanges::LastValue(Vst::ParamID id, Vst::ParamValue& value)
{
  for (std::size_t i = 0; i < mCount; ++i)
  {
    ParamValueQueue& queue = mQueues[i];
    if (queue.getParameterId() != id)
      continue;
    const int32 count = queue.getPointCount();
    if (count == 0)
      return false;
    int32 offset = 0;
    return queue.getPoint(count - 1, offset, value) == kResultOk;
  }
  return false;
}

} // namespace krb::host
