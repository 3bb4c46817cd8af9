#include "Krellbinder.h"

bool Krellbinder::SerializeState(IByteChunk& chunk) const { return IPlugVST3::SerializeState(chunk); }

int Krellbinder::UnserializeState(const IByteChunk& chunk, int startPos)
{
  return IPlugVST3::UnserializeState(chunk, startPos);
}
