#include "MemoryStream.h"

#include <cstring>

using namespace Steinberg;

namespace krb::host
{

namespace
{
constexpr std::int64_t kMaxStreamSize = std::int64_t{1} << 32;
}

MemoryStream::MemoryStream(std::vector<std::uint8_t> data)
  : mData(std::move(data))
{
}

tresult PLUGIN_API MemoryStream::read(void* buffer, int32 numBytes, int32* numBytesRead)
{
  if (numBytesRead != nullptr)
    *numBytesRead = 0;
  if (numBytes < 0 || (buffer == nullptr && numBytes > 0))
    return kInvalidArgument;
  const auto size = static_cast<std::int64_t>(mData.size());
  std::int64_t available = size - mPosition;
  if (available < 0)
    available = 0;
  const int32 count = available < numBytes ? static_cast<int32>(available) : numBytes;
  if (count > 0)
    std::memcpy(buffer, mData.data() + mPosition, static_cast<std::size_t>(count));
  mPosition += count;
  if (numBytesRead != nullptr)
    *numBytesRead = count;
  return (count > 0 || numBytes == 0) ? kResultOk : kResultFalse;
}

tresult PLUGIN_API MemoryStream::write(void* buffer, int32 numBytes, int32* numBytesWritten)
{
  if (numBytesWritten != nullptr)
    *numBytesWritten = 0;
  if (numBytes < 0 || (buffer == nullptr && numBytes > 0))
    return kInvalidArgument;
  const std::int64_t end = mPosition + numBytes;
  // Keeps a faulty plug-in from making the host throw on a huge seek-and-write.
  if (end > kMaxStreamSize)
    return kOutOfMemory;
  if (end > static_cast<std::int64_t>(mData.size()))
    mData.resize(static_cast<std::size_t>(end), 0);
  if (numBytes > 0)
    std::memcpy(mData.data() + mPosition, buffer, static_cast<std::size_t>(numBytes));
  mPosition = end;
  if (numBytesWritten != nullptr)
    *numBytesWritten = numBytes;
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::seek(int64 pos, int32 mode, int64* result)
{
  std::int64_t target = 0;
  switch (mode)
  {
    case kIBSeekSet:
      target = pos;
      break;
    case kIBSeekCur:
      target = mPosition + pos;
      break;
    case kIBSeekEnd:
      target = static_cast<std::int64_t>(mData.size()) + pos;
      break;
    default:
      return kInvalidArgument;
  }
  if (target < 0)
    return kInvalidArgument;
  mPosition = target;
  if (result != nullptr)
    *result = mPosition;
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::tell(int64* pos)
{
  if (pos == nullptr)
    return kInvalidArgument;
  *pos = mPosition;
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::getStreamSize(int64& size)
{
  size = static_cast<int64>(mData.size());
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::setStreamSize(int64 size)
{
  if (size < 0)
    return kInvalidArgument;
  mData.resize(static_cast<std::size_t>(size), 0);
  return kResultOk;
}

} // namespace krb::host
