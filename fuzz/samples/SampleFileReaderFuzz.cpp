// Feeds arbitrary bytes to the sample file reader. Any crash, sanitizer report, hang or broken
// result shape is a finding.

#include "SampleFileReader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::vector<uint8_t> fileData(data, data + size);
  SampleFileReader<double> reader;
  if (reader.LoadFromMemory(fileData))
  {
    // A decoded file has 1 to 128 channels of equal length.
    if (reader.mSamples.empty() || reader.mSamples.size() > 128)
      std::abort();
    for (const std::vector<double>& channel : reader.mSamples)
      if (channel.size() != reader.mSamples[0].size())
        std::abort();
  }
  // Every read stays inside the image, so no decoded frame can come from beyond it.
  if (!reader.mSamples.empty() && reader.mSamples[0].size() > size)
    std::abort();
  return 0;
}
