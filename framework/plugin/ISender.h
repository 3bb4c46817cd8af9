#pragma once

#include <array>
#include <cstdint>

#include "IPlugConstants.h"
#include "IPlugQueue.h"

// A record for an editor control: its tag, then a fixed number of values.
template <int MAXNC = 1, typename T = float>
struct ISenderData
{
  int32_t ctrlTag = kNoTag;
  int32_t nChans = MAXNC;
  int32_t chanOffset = 0;
  std::array<T, MAXNC> vals{};

  ISenderData() = default;
  ISenderData(int tag, const std::array<T, MAXNC>& values, int nChannels = 1, int channelOffset = 0)
    : ctrlTag(tag)
    , nChans(nChannels)
    , chanOffset(channelOffset)
    , vals(values)
  {
  }
};

// Carries records from the core to the editor's controls through a lock-free ring with one producer
// thread and one consumer (the idle tick).
template <int MAXNC = 1, int QUEUE_SIZE = 64, typename T = float>
class ISender
{
public:
  using Data = ISenderData<MAXNC, T>;

  explicit ISender(int queueSize = QUEUE_SIZE)
    : mQueue(queueSize)
  {
  }

  // Copies the record into the ring; dropped when the ring is full. Never allocates.
  bool PushData(const Data& data) { return mQueue.Push(data); }

  // Takes every pending record off the ring and hands each to the delegate's
  // SendControlMsgFromDelegate(ctrlTag, kUpdateMessage, size, data), which drops it when no editor
  // or no control with that tag exists.
  template <class Delegate>
  void TransmitData(Delegate& delegate)
  {
    Data data;
    while (mQueue.Pop(data))
      delegate.SendControlMsgFromDelegate(data.ctrlTag, kUpdateMessage, static_cast<int>(sizeof(Data)), &data);
  }

  size_t ElementsAvailable() const { return mQueue.ElementsAvailable(); }

private:
  IPlugQueue<Data> mQueue;
};
