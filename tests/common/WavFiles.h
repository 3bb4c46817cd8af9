#pragma once

// Small WAVE files for the tests that need a sample on disk, written with the sample-file writer
// (SampleFileWriter.h). This header leaves the writer's byte orders out, so that it can stand beside
// the VST3 SDK's headers, which define kLittleEndian and kBigEndian as macros.

#include <cstdint>
#include <filesystem>
#include <vector>

namespace krbtest
{
// 32-bit float samples, which the reader gives back bit for bit as doubles; channels[c][frame], every
// channel as long as the first.
void WriteFloatWav(const std::filesystem::path& path, const std::vector<std::vector<float>>& channels,
                   uint32_t sampleRate = 44100);

// 16-bit PCM at 44100 Hz; channels[c][frame]. Values are clipped to [-1, 1]; 1.0 is 32767 and -1.0 is
// -32768, so that 0.5 and -0.5 come back exactly.
void WritePcm16Wav(const std::filesystem::path& path, const std::vector<std::vector<double>>& channels);

// A mono 16-bit file of `frames` frames, every value `value`.
void WriteConstantWav(const std::filesystem::path& path, uint32_t frames, double value = 0.5);

// A ramp that tells every frame apart: frame f of channel c holds (f % 4096 + 1) / 1024 + c / 2, negated
// on the odd channels, exact in a float.
std::vector<std::vector<float>> Ramp(int numChannels, uint32_t frames);
} // namespace krbtest
