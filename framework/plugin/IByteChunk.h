#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

// A growable byte image used for the plug-in's saved state. Values are appended and read back as raw
// bytes in the machine's (little-endian) order.
class IByteChunk
{
public:
  IByteChunk() = default;

  // Appends size bytes; returns the chunk's size after the append.
  int PutBytes(const void* data, int size)
  {
    if (size <= 0 || !data)
      return Size();
    // One pass: insert copies straight into the room behind the content, where a resize would
    // first zero it.
    const auto* bytes = static_cast<const uint8_t*>(data);
    mBytes.insert(mBytes.end(), bytes, bytes + size);
    return Size();
  }

  template <class T>
  int Put(const T* value)
  {
    static_assert(std::is_trivially_copyable_v<T>);
    return PutBytes(value, static_cast<int>(sizeof(T)));
  }

  // Copies size bytes at startPos into buffer and returns the position after them; returns -1 and
  // leaves buffer unchanged when the position is negative or the bytes would end past the chunk.
  int GetBytes(void* buffer, int size, int startPos) const
  {
    if (startPos < 0 || size < 0)
      return -1;
    const int64_t end = static_cast<int64_t>(startPos) + size;
    if (end > static_cast<int64_t>(mBytes.size()))
      return -1;
    if (size > 0)
      std::memcpy(buffer, mBytes.data() + startPos, static_cast<size_t>(size));
    return static_cast<int>(end);
  }

  template <class T>
  int Get(T* value, int startPos) const
  {
    static_assert(std::is_trivially_copyable_v<T>);
    return GetBytes(value, static_cast<int>(sizeof(T)), startPos);
  }

  // Makes room for at least size bytes without changing the content, so that a long run of Put calls
  // does not reallocate.
  void Reserve(int size)
  {
    if (size > 0)
      mBytes.reserve(static_cast<size_t>(size));
  }

  // Sets the size; new bytes are zero. Returns the new size.
  int Resize(int newSize)
  {
    mBytes.resize(newSize > 0 ? static_cast<size_t>(newSize) : 0);
    return Size();
  }

  void Clear() { mBytes.clear(); }
  int Size() const { return static_cast<int>(mBytes.size()); }
  uint8_t* GetData() { return mBytes.data(); }
  const uint8_t* GetData() const { return mBytes.data(); }

  bool IsEqual(const IByteChunk& other) const { return mBytes == other.mBytes; }

private:
  std::vector<uint8_t> mBytes;
};
