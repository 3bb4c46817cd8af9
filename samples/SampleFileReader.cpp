#include "SampleFileReader.h"

#include <cstring>

int32_t FindChunk(const std::vector<uint8_t>& fileData, std::string_view id, EByteOrder byteOrder)
{
  const uint64_t n = fileData.size();
  if (n < 4 || id.size() != 4)
    return -1;

  // Positions are signed 32-bit: a step past 2^31 turns negative and, sign-extended, ends the walk.
  int32_t p = 12;
  while (static_cast<uint64_t>(static_cast<int64_t>(p)) < n - 4)
  {
    // The id is compared before the end test, so an id whose size field is cut off is still found.
    if (std::memcmp(fileData.data() + p, id.data(), 4) == 0)
      return p;

    const int32_t afterSizeField = static_cast<int32_t>(static_cast<uint32_t>(p) + 8u);
    if (static_cast<uint64_t>(static_cast<int64_t>(afterSizeField)) >= n)
      return -1;

    const uint32_t size = sample_file_detail::ReadU32(fileData, static_cast<int64_t>(p) + 4, byteOrder);
    const int32_t step = static_cast<int32_t>(8u + size + (size & 1u));
    // Sizes from 2^31 - 9 up (short of the few that wrap round to a small step) would stand still or
    // step back and revisit positions: such a chunk ends the walk.
    if (step <= 0)
      return -1;
    p = static_cast<int32_t>(static_cast<uint32_t>(p) + static_cast<uint32_t>(step));
  }
  return -1;
}
