#pragma once
// A growable in-memory IBStream (with ISizeableStream) for getState/setState.

#include "HostObject.h"

#include "pluginterfaces/base/ibstream.h"

#include <cstdint>
#include <vector>

namespace krb::host
{

class MemoryStream : public HostObject<Steinberg::IBStream, Steinberg::ISizeableStream>
{
public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<std::uint8_t> data);

  // IBStream: reads past the end return what is there (kResultFalse when nothing is); writes
  // past the end grow the stream, a seek past the end leaves a gap of zeros on the next write.
  Steinberg::tresult PLUGIN_API read(void* buffer, Steinberg::int32 numBytes, Steinberg::int32* numBytesRead) override;
  Steinberg::tresult PLUGIN_API write(void* buffer, Steinberg::int32 numBytes,
                                      Steinberg::int32* numBytesWritten) override;
  Steinberg::tresult PLUGIN_API seek(Steinberg::int64 pos, Steinberg::int32 mode, Steinberg::int64* result) override;
  Steinberg::tresult PLUGIN_API tell(Steinberg::int64* pos) override;
  // ISizeableStream
  Steinberg::tresult PLUGIN_API getStreamSize(Steinberg::int64& size) override;
  Steinberg::tresult PLUGIN_API setStreamSize(Steinberg::int64 size) override;

  const std::vector<std::uint8_t>& Data() const { return mData; }
  std::int64_t Position() const { return mPosition; }
  void Rewind() { mPosition = 0; }

private:
  std::vector<std::uint8_t> mData;
  std::int64_t mPosition = 0;
};

} // namespace krb::host
