#pragma once

// A state chunk written value by value, as the plug-in lays it out, and the values read back from one.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace krbtest
{
// Writes a state chunk value by value, as the plug-in lays it out.
class ChunkBuilder
{
public:
  static constexpr int kPatternValues = 12 * 24 * 128;
  // Version, pattern memory, five selections, two master values: where the channel records start.
  static constexpr size_t kFixedPartBytes = 8 + 8 * kPatternValues + 5 * 4 + 2 * 8;
  // The end of a channel record: channel state, pan, volume, pitch, swing, length.
  static constexpr size_t kRecordTailBytes = 4 + 8 + 8 + 4 + 8 + 8;

  ChunkBuilder& Double(double v) { return Raw(&v, 8); }
  ChunkBuilder& Int(int32_t v) { return Raw(&v, 4); }
  ChunkBuilder& Raw(const void* data, size_t size)
  {
    const auto* p = static_cast<const uint8_t*>(data);
    mBytes.insert(mBytes.end(), p, p + size);
    return *this;
  }
  ChunkBuilder& Path(const std::u16string& path)
  {
    for (char16_t unit : path)
      Double(static_cast<double>(unit));
    return Double(0.0);
  }

  // Version, an empty pattern memory (or the given one), the selections and the master values.
  ChunkBuilder& FixedPart(double version = 3.0, const std::vector<double>& patterns = {}, int32_t displayedStep = 0,
                          int32_t selectedDrum = 0, int32_t mode = 0, int32_t octave = 0, int32_t pattern = 0,
                          double masterVolume = 1.0, double masterSwing = 0.0)
  {
    Double(version);
    for (int i = 0; i < kPatternValues; ++i)
      Double(i < static_cast<int>(patterns.size()) ? patterns[static_cast<size_t>(i)] : 0.0);
    Int(displayedStep).Int(selectedDrum).Int(mode).Int(octave).Int(pattern);
    return Double(masterVolume).Double(masterSwing);
  }

  struct Channel
  {
    std::u16string path;
    std::vector<double> samples; // interleaved when numChannels is 2
    double numChannels = 1.0;
    int32_t state = 0;
    double pan = 0.5;
    double volume = 1.0;
    int32_t pitch = 0;
    double swing = 0.0;
    double length = 1.0;
  };

  ChunkBuilder& Record(const Channel& c)
  {
    Path(c.path);
    Double(static_cast<double>(c.samples.size()));
    if (!c.samples.empty())
    {
      Double(c.numChannels);
      for (double v : c.samples)
        Double(v);
    }
    return Int(c.state).Double(c.pan).Double(c.volume).Int(c.pitch).Double(c.swing).Double(c.length);
  }

  // The mixer fields after the count (and the samples, if any).
  ChunkBuilder& RecordTail(int32_t state = 0, double pan = 0.5, double volume = 1.0, int32_t pitch = 0,
                           double swing = 0.0, double length = 1.0)
  {
    return Int(state).Double(pan).Double(volume).Int(pitch).Double(swing).Double(length);
  }

  ChunkBuilder& EmptyRecords(int count)
  {
    for (int i = 0; i < count; ++i)
      Record({});
    return *this;
  }

  const std::vector<uint8_t>& Bytes() const { return mBytes; }
  size_t Size() const { return mBytes.size(); }

private:
  std::vector<uint8_t> mBytes;
};

inline double DoubleAt(const uint8_t* data, size_t offset)
{
  double v;
  std::memcpy(&v, data + offset, 8);
  return v;
}

inline int32_t IntAt(const uint8_t* data, size_t offset)
{
  int32_t v;
  std::memcpy(&v, data + offset, 4);
  return v;
}

// The path of channel 0 in a saved state (its ASCII units).
inline std::string FirstPath(const std::vector<uint8_t>& state)
{
  std::string path;
  for (size_t offset = ChunkBuilder::kFixedPartBytes;
       offset + 8 <= state.size() && DoubleAt(state.data(), offset) != 0.0; offset += 8)
    path += static_cast<char>(DoubleAt(state.data(), offset));
  return path;
}
} // namespace krbtest
