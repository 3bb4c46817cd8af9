#pragma once

// A default kit of twelve drum sounds, synthesised: sine sweeps, filtered noise and envelopes, the
// same samples on every run.

#include <cstdint>
#include <string>
#include <vector>

namespace kitgen
{
struct DrumSound
{
  std::string mFileName; // "kick.wav", "stick.wav" and so on, in channel order
  std::vector<float> mLeft;
  std::vector<float> mRight;
};

// The twelve sounds in channel order (kick, side stick, acoustic snare, hand clap, ...).
std::vector<DrumSound> SynthesizeKit(double sampleRate);

// A 16-bit PCM stereo WAVE file; samples are clipped to -1..1.
bool WriteWav16(const std::string& path, const DrumSound& sound, uint32_t sampleRate);

// The values a reader decodes from that file: each sample rounded to 16 bits, as a double.
double Quantize16(float value);
int16_t ToPcm16(float value);
} // namespace kitgen
