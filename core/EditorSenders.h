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
template <class Sender>
class TwoProducerSender
{
public:
  using Data = typename Sender::Data;

  TwoProducerSender() : mFromAudio(1), mFromMain(1) {}

  bool PushFromAudioThread(const Data& data) { return mFromAudio.PushData(data); }
  bool PushFromMainThread(const Data& data) { return mFromMain.PushData(data); }

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
