#pragma once

#include <cstdint>

#include "plugin/ISender.h"

// The queues that carry the core's state to the editor's controls. Each holds one pending record.
using IntSender = ISender<1, 1, int32_t>;           // 16-byte records: one integer
using StepRowSender = ISender<16, 1, uint8_t>;      // 28-byte records: the 16 step flags of a row
using ChannelStateSender = ISender<12, 1, int32_t>; // 60-byte records: the twelve channel states

static_assert(sizeof(IntSender::Data) == 16);
static_assert(sizeof(StepRowSender::Data) == 28);
static_assert(sizeof(ChannelStateSender::Data) == 60);

// A queue that both the audio thread and the main thread feed. A lock-free ring takes one producer,
// so each thread has a ring of its own; the idle tick drains the audio thread's ring, then the main
// thread's.
//
// Together the two rings still act as one queue of one item: a push while either ring holds a record
// is dropped, and the pending record is delivered. (Looking at the other ring reads its indices only,
// which any thread may do; a push racing a push of the other thread may still keep both.)
template <class Sender>
class TwoProducerSender
{
public:
  using Data = typename Sender::Data;

  TwoProducerSender()
    : mFromAudio(1)
    , mFromMain(1)
  {
  }

  // Audio thread: no allocation, no lock.
  bool PushFromAudioThread(const Data& data) { return mFromMain.ElementsAvailable() == 0 && mFromAudio.PushData(data); }
  bool PushFromMainThread(const Data& data) { return mFromAudio.ElementsAvailable() == 0 && mFromMain.PushData(data); }
  size_t ElementsAvailable() const { return mFromAudio.ElementsAvailable() + mFromMain.ElementsAvailable(); }

  template <class Delegate>
  void TransmitData(Delegate& delegate)
  {
    mFromAudio.TransmitData(delegate);
    mFromMain.TransmitData(delegate);
  }

private:
  Sender mFromAudio;
  Sender mFromMain;
};
