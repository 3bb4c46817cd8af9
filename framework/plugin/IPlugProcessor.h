#pragma once

#include <atomic>
#include <vector>

#include "IMidi.h"
#include "IPlugConfig.h"
#include "IPlugConstants.h"
#include "ITimeInfo.h"
#include "WDLString.h"

// The audio side of a plug-in: its buses and channels, the block's sample rate and time information,
// and the hooks that the processing calls.
class IPlugProcessor
{
public:
  explicit IPlugProcessor(const Config& config);
  virtual ~IPlugProcessor();
  IPlugProcessor(const IPlugProcessor&) = delete;
  IPlugProcessor& operator=(const IPlugProcessor&) = delete;

  // Audio thread. The default writes silence to every output channel.
  virtual void ProcessBlock(double** inputs, double** outputs, int nFrames);
  virtual void ProcessMidiMsg(const IMidiMsg& /*msg*/) {}
  // Audio thread, while the host bypasses the plug-in: each incoming MIDI message, at once, in place
  // of ProcessMidiMsg (no block follows to take it up). The default ignores it.
  virtual void ProcessBypassedMidiMsg(const IMidiMsg& /*msg*/) {}
  // When the host sets up processing and when it stops processing.
  virtual void OnReset() {}
  virtual void OnActivate(bool /*active*/) {}
  // Gives every bus its name while the buses are declared to the host.
  virtual void GetBusName(ERoute direction, int busIdx, int nBuses, WDL_String& str) const;

  double GetSampleRate() const { return mSampleRate; }
  int GetBlockSize() const { return mBlockSize; }
  const ITimeInfo& GetTimeInfo() const { return mTimeInfo; }
  double GetTempo() const { return mTimeInfo.mTempo; }
  bool GetTransportIsRunning() const { return mTimeInfo.mTransportIsRunning; }
  bool GetBypassed() const { return mBypassed.load(std::memory_order_relaxed); }
  int GetLatency() const { return mLatency; }
  bool DoesMIDIIn() const { return mDoesMidiIn; }
  bool DoesMIDIOut() const { return mDoesMidiOut; }
  bool IsInstrument() const { return mPlugType == kInstrument; }

  int MaxNBuses(ERoute direction) const { return static_cast<int>(Buses(direction).size()); }
  int NChannelsOfBus(ERoute direction, int busIdx) const;
  int MaxNChannels(ERoute direction) const;
  int NOutChansConnected() const { return NChansConnected(kOutput); }
  int NInChansConnected() const { return NChansConnected(kInput); }
  bool IsChannelConnected(ERoute direction, int chIdx) const;

protected:
  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
  void SetBlockSize(int blockSize) { mBlockSize = blockSize; }
  void SetTimeInfo(const ITimeInfo& timeInfo) { mTimeInfo = timeInfo; }
  void SetBypassed(bool bypassed) { mBypassed.store(bypassed, std::memory_order_relaxed); }
  void SetChannelConnected(ERoute direction, int chIdx, bool connected);
  int FirstChannelOfBus(ERoute direction, int busIdx) const;

private:
  const std::vector<int>& Buses(ERoute direction) const { return direction == kInput ? mInBuses : mOutBuses; }
  int NChansConnected(ERoute direction) const;

  std::vector<int> mInBuses;  // channel count of each input bus
  std::vector<int> mOutBuses; // channel count of each output bus
  std::vector<char> mInConnected;
  std::vector<char> mOutConnected;
  double mSampleRate = kDefaultSampleRate;
  int mBlockSize = 0;
  int mLatency = 0;
  int mPlugType = kEffect;
  bool mDoesMidiIn = false;
  bool mDoesMidiOut = false;
  std::atomic<bool> mBypassed{false}; // set by the host's main thread (state, parameter), read by process
  ITimeInfo mTimeInfo;
};

// Parses a channel I/O string such as "0-2.2.2" (inputs, a dash, outputs; buses separated by full
// stops, each given by its channel count; a count of 0 means no bus) into bus channel counts.
bool ParseChannelIOStr(const char* ioStr, std::vector<int>& inBuses, std::vector<int>& outBuses);
