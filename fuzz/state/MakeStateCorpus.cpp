// Writes the seed chunks of the state fuzz target into the folder given as the only argument.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "ChunkBuilder.h"

using krbtest::ChunkBuilder;

namespace
{
// The fixed part of every seed: a pattern memory with a step here and there, LED 3, master volume 0.8
// and master swing 0.2.
ChunkBuilder& Fixed(ChunkBuilder& chunk, double version, int32_t drum = 0, int32_t mode = 0, int32_t octave = 0,
                    int32_t pattern = 0)
{
  std::vector<double> patterns(ChunkBuilder::kPatternValues);
  for (size_t i = 0; i < patterns.size(); ++i)
    patterns[i] = i % 97 == 0 ? 1.0 : 0.0;
  return chunk.FixedPart(version, patterns, 3, drum, mode, octave, pattern, 0.8, 0.2);
}

bool Write(const ChunkBuilder& chunk, const std::string& file)
{
  FILE* f = std::fopen(file.c_str(), "wb");
  if (!f)
    return false;
  const bool ok = std::fwrite(chunk.Bytes().data(), 1, chunk.Size(), f) == chunk.Size();
  return std::fclose(f) == 0 && ok;
}
} // namespace

int main(int argc, char** argv)
{
  if (argc != 2)
  {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  bool ok = true;

  ChunkBuilder empty;
  ok &= Write(Fixed(empty, 3.0).EmptyRecords(12), dir + "/default");

  ChunkBuilder mono;
  Fixed(mono, 3.0, 4, 1, 1, 7).Path(u"/no/such/kick.wav").Double(8.0).Double(1.0);
  for (int i = 0; i < 8; ++i)
    mono.Double(i / 8.0);
  mono.RecordTail(1, 0.2, 1.5, 7, 1.0, 0.5).EmptyRecords(11);
  ok &= Write(mono, dir + "/mono");

  ChunkBuilder stereo;
  Fixed(stereo, 2.0, 11, 3, 0, 11).EmptyRecords(5).Path(u"C:\\k.wav").Double(6.0).Double(2.0);
  for (int i = 0; i < 6; ++i)
    stereo.Double(i % 2 ? -0.5 : 0.5);
  stereo.RecordTail(3, 0.9, 0.1, -12, 0.0, 0.25).EmptyRecords(6);
  ok &= Write(stereo, dir + "/stereo");

  // Stored values far beyond any file's: a damaged byte in a sample's exponent makes such a value.
  ChunkBuilder loud;
  Fixed(loud, 3.0, 0, 3).Path(u"").Double(4.0).Double(2.0).Double(3.45e298).Double(-1.7e308).Double(6e37).Double(-2e36);
  loud.RecordTail(0, 0.5, 2.0).EmptyRecords(11);
  ok &= Write(loud, dir + "/loud");

  ChunkBuilder later;
  ok &= Write(later.Double(3.5).Int(1), dir + "/later-version");
  return ok ? 0 : 1;
}
