#pragma once

#include <cstdint>

// One short MIDI message at a sample offset within the current block.
struct IMidiMsg
{
  enum EStatusMsg
  {
    kNone = 0,
    kNoteOff = 8,
    kNoteOn = 9,
    kPolyAftertouch = 10,
    kControlChange = 11,
    kProgramChange = 12,
    kChannelAftertouch = 13,
    kPitchWheel = 14
  };

  int32_t mOffset = 0;
  uint8_t mStatus = 0;
  uint8_t mData1 = 0;
  uint8_t mData2 = 0;

  IMidiMsg() = default;
  IMidiMsg(int offset, uint8_t status, uint8_t data1, uint8_t data2)
    : mOffset(offset)
    , mStatus(status)
    , mData1(data1)
    , mData2(data2)
  {
  }

  EStatusMsg StatusMsg() const
  {
    const unsigned kind = mStatus >> 4;
    return kind >= kNoteOff && kind <= kPitchWheel ? static_cast<EStatusMsg>(kind) : kNone;
  }
  int Channel() const { return mStatus & 0x0F; }
  int NoteNumber() const { return mData1; }
  int Velocity() const { return mData2; }

  void MakeNoteOnMsg(int note, int velocity, int offset, int channel = 0)
  {
    Set(offset, kNoteOn, channel, note, velocity);
  }
  void MakeNoteOffMsg(int note, int offset, int channel = 0) { Set(offset, kNoteOff, channel, note, 0); }
  void MakeControlChangeMsg(int controller, int value, int offset, int channel = 0)
  {
    Set(offset, kControlChange, channel, controller, value);
  }

private:
  void Set(int offset, int kind, int channel, int data1, int data2)
  {
    mOffset = offset;
    mStatus = static_cast<uint8_t>((kind << 4) | (channel & 0x0F));
    mData1 = static_cast<uint8_t>(data1 & 0x7F);
    mData2 = static_cast<uint8_t>(data2 & 0x7F);
  }
};

static_assert(sizeof(IMidiMsg) == 8, "MIDI messages are 8-byte records");
