#pragma once

#include <atomic>
#include <cstddef>
#include <vector>

// Lock-free single-producer single-consumer ring. A queue of size N keeps N + 1 slots, so it holds at
// most N items; a push onto a full queue fails and the item is lost.
template <class T>
class IPlugQueue
{
public:
  explicit IPlugQueue(int size)
    : mBuffer(static_cast<size_t>(size > 0 ? size : 0) + 1)
  {
  }
  IPlugQueue(const IPlugQueue&) = delete;
  IPlugQueue& operator=(const IPlugQueue&) = delete;

  // Producer side. The release store publishes the item's bytes before the new write index.
  bool Push(const T& item)
  {
    const size_t write = mWriteIndex.load(std::memory_order_relaxed);
    const size_t next = Next(write);
    if (next == mReadIndex.load(std::memory_order_acquire))
      return false;
    mBuffer[write] = item;
    mWriteIndex.store(next, std::memory_order_release);
    return true;
  }

  // Consumer side.
  bool Pop(T& item)
  {
    const size_t read = mReadIndex.load(std::memory_order_relaxed);
    if (read == mWriteIndex.load(std::memory_order_acquire))
      return false;
    item = mBuffer[read];
    mReadIndex.store(Next(read), std::memory_order_release);
    return true;
  }

  size_t ElementsAvailable() const
  {
    const size_t write = mWriteIndex.load(std::memory_order_acquire);
    const size_t read = mReadIndex.load(std::memory_order_acquire);
    return (write + mBuffer.size() - read) % mBuffer.size();
  }

  size_t Capacity() const { return mBuffer.size() - 1; }

private:
  size_t Next(size_t index) const { return (index + 1) % mBuffer.size(); }

  std::vector<T> mBuffer;
  alignas(64) std::atomic<size_t> mWriteIndex{0};
  alignas(64) std::atomic<size_t> mReadIndex{0};
};
