#pragma once
// Writes RIFF/WAVE files of 32-bit float or 16-bit PCM samples; more than two channels use
// WAVE_FORMAT_EXTENSIBLE (with no speaker positions).

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace krb::host
{

enum class EWavFormat
{
  kFloat32,
  kPcm16
};

// Interleaves the channels (each at least `frames` long). 16-bit samples are clipped to
// [-1, 1] and rounded. False with error on a write failure or a file over 4 GiB.
bool WriteWav(const std::filesystem::path& path, const std::vector<const std::vector<double>*>& channels,
              std::int64_t frames, std::uint32_t sampleRate, EWavFormat format, std::string& error);

} // namespace krb::host
