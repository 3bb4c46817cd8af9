#pragma once

#include <cstring>
#include <memory>
#include <new>

#include "IMidi.h"

// The plug-in's queue of incoming MIDI messages, kept in order of their sample offset (messages with
// the same offset stay in arrival order). Used on the audio thread only.
class IMidiQueue
{
public:
  static constexpr int kGrowBy = 512;

  explicit IMidiQueue(int initialSize = kGrowBy) { Resize(initialSize); }
  IMidiQueue(const IMidiQueue&) = delete;
  IMidiQueue& operator=(const IMidiQueue&) = delete;

  // Inserts a message by offset. The buffer grows by 512 messages only when it is full, which needs
  // more than its capacity of messages within one block.
  void Add(const IMidiMsg& msg)
  {
    if (mBack == mSize)
    {
      if (mFront > 0)
        Compact();
      else if (!Resize(mSize + kGrowBy))
        return; // out of memory: the message is dropped
    }
    int pos = mBack;
    while (pos > mFront && mBuf[pos - 1].mOffset > msg.mOffset)
      --pos;
    if (pos < mBack)
      std::memmove(&mBuf[pos + 1], &mBuf[pos], static_cast<size_t>(mBack - pos) * sizeof(IMidiMsg));
    mBuf[pos] = msg;
    ++mBack;
  }

  void Remove()
  {
    if (mFront < mBack)
      ++mFront;
  }
  bool Empty() const { return mFront == mBack; }
  int ToDo() const { return mBack - mFront; }
  const IMidiMsg& Peek() const { return mBuf[mFront]; }

  // End of block: drops the messages taken off and moves the rest nFrames earlier.
  void Flush(int nFrames)
  {
    Compact();
    for (int i = 0; i < mBack; ++i)
      mBuf[i].mOffset -= nFrames;
  }

  void Clear() { mFront = mBack = 0; }
  int GetSize() const { return mSize; }

  // Sets the capacity (never below the messages held); false when the memory cannot be had.
  bool Resize(int size)
  {
    Compact();
    if (size < mBack)
      size = mBack;
    if (size <= 0)
    {
      mBuf.reset();
      mSize = 0;
      return true;
    }
    std::unique_ptr<IMidiMsg[]> grown(new (std::nothrow) IMidiMsg[static_cast<size_t>(size)]);
    if (!grown)
      return false;
    if (mBack > 0)
      std::memcpy(grown.get(), mBuf.get(), static_cast<size_t>(mBack) * sizeof(IMidiMsg));
    mBuf = std::move(grown);
    mSize = size;
    return true;
  }

private:
  void Compact()
  {
    if (mFront == 0)
      return;
    const int count = mBack - mFront;
    if (count > 0)
      std::memmove(&mBuf[0], &mBuf[mFront], static_cast<size_t>(count) * sizeof(IMidiMsg));
    mFront = 0;
    mBack = count;
  }

  std::unique_ptr<IMidiMsg[]> mBuf;
  int mSize = 0;
  int mFront = 0;
  int mBack = 0;
};
