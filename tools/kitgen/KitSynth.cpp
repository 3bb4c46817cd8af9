#include "KitSynth.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>

namespace kitgen
{
namespace
{
constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr float kPeak = 0.89f; // about -1 dB

// Deterministic white noise in -1..1.
class Noise
{
public:
  explicit Noise(uint32_t seed)
    : mState(seed ? seed : 1)
  {
  }
  double Next()
  {
    mState ^= mState << 13;
    mState ^= mState >> 17;
    mState ^= mState << 5;
    return static_cast<double>(mState) / 2147483648.0 - 1.0;
  }

private:
  uint32_t mState;
};

// Second-order filter with the usual cookbook coefficients.
class Biquad
{
public:
  static Biquad BandPass(double rate, double frequency, double q)
  {
    const double w = kTwoPi * frequency / rate;
    const double alpha = std::sin(w) / (2.0 * q);
    return Biquad(alpha, 0.0, -alpha, 1.0 + alpha, -2.0 * std::cos(w), 1.0 - alpha);
  }
  static Biquad HighPass(double rate, double frequency, double q)
  {
    const double w = kTwoPi * frequency / rate;
    const double alpha = std::sin(w) / (2.0 * q);
    const double c = std::cos(w);
    return Biquad((1.0 + c) / 2.0, -(1.0 + c), (1.0 + c) / 2.0, 1.0 + alpha, -2.0 * c, 1.0 - alpha);
  }
  double Process(double x)
  {
    const double y = mB0 * x + mB1 * mX1 + mB2 * mX2 - mA1 * mY1 - mA2 * mY2;
    mX2 = mX1;
    mX1 = x;
    mY2 = mY1;
    mY1 = y;
    return y;
  }

private:
  Biquad(double b0, double b1, double b2, double a0, double a1, double a2)
    : mB0(b0 / a0)
    , mB1(b1 / a0)
    , mB2(b2 / a0)
    , mA1(a1 / a0)
    , mA2(a2 / a0)
  {
  }
  double mB0, mB1, mB2, mA1, mA2;
  double mX1 = 0.0, mX2 = 0.0, mY1 = 0.0, mY2 = 0.0;
};

double Decay(double t, double seconds) { return std::exp(-t / seconds); }

// A sine whose frequency falls exponentially from `start` to `end`, with an exponential decay.
struct Sweep
{
  double mStart, mEnd, mSweepTime, mDecayTime;
  double mPhase = 0.0;
  double Next(double t, double rate)
  {
    const double frequency = mEnd + (mStart - mEnd) * std::exp(-t / mSweepTime);
    mPhase += kTwoPi * frequency / rate;
    return std::sin(mPhase) * Decay(t, mDecayTime);
  }
};

struct Tone
{
  double mStart, mEnd, mGain;
};

DrumSound Make(const std::string& name, double rate, double seconds, uint32_t seed,
               double (*voice)(double t, double rate, Noise& noise, void* state), void* state, double width)
{
  DrumSound sound{name, {}, {}};
  const size_t frames = static_cast<size_t>(seconds * rate);
  Noise noise(seed);
  Noise side(seed * 7919u + 13u);
  Biquad sideFilter = Biquad::HighPass(rate, 3000.0, 0.7);
  for (size_t i = 0; i < frames; ++i)
  {
    const double t = static_cast<double>(i) / rate;
    const double mono = voice(t, rate, noise, state);
    // A little decorrelated air keeps stereo sounds from being a copy on both sides.
    const double air = width * sideFilter.Process(side.Next()) * std::fabs(mono);
    // A short fade at the end avoids a click when the sample stops.
    const double fade = std::min(1.0, static_cast<double>(frames - i) / (0.005 * rate));
    sound.mLeft.push_back(static_cast<float>((mono + air) * fade));
    sound.mRight.push_back(static_cast<float>((mono - air) * fade));
  }
  // Every sound peaks at the same level, a little below full scale.
  float peak = 0.0f;
  for (size_t i = 0; i < frames; ++i)
    peak = std::max({peak, std::fabs(sound.mLeft[i]), std::fabs(sound.mRight[i])});
  if (peak > 0.0f)
    for (size_t i = 0; i < frames; ++i)
    {
      sound.mLeft[i] *= kPeak / peak;
      sound.mRight[i] *= kPeak / peak;
    }
  return sound;
}

struct KickState
{
  Sweep body{160.0, 45.0, 0.04, 0.35};
};
double Kick(double t, double rate, Noise& noise, void* p)
{
  auto& s = *static_cast<KickState*>(p);
  const double click = noise.Next() * Decay(t, 0.002) * 0.3;
  return 0.9 * s.body.Next(t, rate) + click;
}

struct SideStickState
{
  Biquad band;
  Sweep knock;
};
double SideStick(double t, double rate, Noise& noise, void* p)
{
  auto& s = *static_cast<SideStickState*>(p);
  return 0.6 * s.band.Process(noise.Next()) * Decay(t, 0.025) + 0.5 * s.knock.Next(t, rate);
}

struct SnareState
{
  Sweep low, high;
  Biquad wires;
  double mNoiseDecay, mNoiseGain;
};
double Snare(double t, double rate, Noise& noise, void* p)
{
  auto& s = *static_cast<SnareState*>(p);
  const double body = 0.45 * s.low.Next(t, rate) + 0.25 * s.high.Next(t, rate);
  return body + s.mNoiseGain * s.wires.Process(noise.Next()) * Decay(t, s.mNoiseDecay);
}

struct ClapState
{
  Biquad band;
};
double Clap(double t, double /*rate*/, Noise& noise, void* p)
{
  auto& s = *static_cast<ClapState*>(p);
  // Three quick hands, then the room.
  double envelope = 0.0;
  for (double start : {0.0, 0.011, 0.023})
    if (t >= start)
      envelope = std::max(envelope, Decay(t - start, 0.006));
  if (t >= 0.03)
    envelope = std::max(envelope, 0.6 * Decay(t - 0.03, 0.12));
  return 1.6 * s.band.Process(noise.Next()) * envelope;
}

struct TomState
{
  Sweep body;
};
double Tom(double t, double rate, Noise& noise, void* p)
{
  auto& s = *static_cast<TomState*>(p);
  return 0.8 * s.body.Next(t, rate) + 0.05 * noise.Next() * Decay(t, 0.01);
}

struct HatState
{
  Biquad high;
  Biquad band;
  double mDecay;
};
double Hat(double t, double /*rate*/, Noise& noise, void* p)
{
  auto& s = *static_cast<HatState*>(p);
  const double metal = s.band.Process(s.high.Process(noise.Next()));
  return 0.9 * metal * Decay(t, s.mDecay);
}
} // namespace

// The file names are short enough for the editor's sample-name labels, which show a name without
// its extension in 55 pixels.
std::vector<DrumSound> SynthesizeKit(double rate)
{
  std::vector<DrumSound> kit;
  KickState kick;
  kit.push_back(Make("kick.wav", rate, 0.6, 1, Kick, &kick, 0.0));
  SideStickState stick{Biquad::BandPass(rate, 2200.0, 3.0), Sweep{900.0, 700.0, 0.01, 0.03}};
  kit.push_back(Make("stick.wav", rate, 0.15, 2, SideStick, &stick, 0.1));
  SnareState acoustic{Sweep{220.0, 180.0, 0.02, 0.1}, Sweep{360.0, 330.0, 0.02, 0.07},
                      Biquad::HighPass(rate, 1500.0, 0.7), 0.18, 0.7};
  kit.push_back(Make("snare.wav", rate, 0.45, 3, Snare, &acoustic, 0.15));
  ClapState clap{Biquad::BandPass(rate, 1200.0, 1.5)};
  kit.push_back(Make("clap.wav", rate, 0.4, 4, Clap, &clap, 0.3));
  SnareState electric{Sweep{320.0, 190.0, 0.015, 0.08}, Sweep{480.0, 400.0, 0.01, 0.04},
                      Biquad::HighPass(rate, 3500.0, 0.7), 0.12, 0.8};
  kit.push_back(Make("e-snare.wav", rate, 0.35, 5, Snare, &electric, 0.2));
  TomState lowFloor{Sweep{110.0, 75.0, 0.08, 0.45}};
  kit.push_back(Make("floor-lo.wav", rate, 0.8, 6, Tom, &lowFloor, 0.05));
  HatState closed{Biquad::HighPass(rate, 7000.0, 0.7), Biquad::BandPass(rate, 10000.0, 0.8), 0.035};
  kit.push_back(Make("hat.wav", rate, 0.15, 7, Hat, &closed, 0.4));
  TomState highFloor{Sweep{135.0, 95.0, 0.07, 0.4}};
  kit.push_back(Make("floor-hi.wav", rate, 0.75, 8, Tom, &highFloor, 0.05));
  HatState pedal{Biquad::HighPass(rate, 5500.0, 0.7), Biquad::BandPass(rate, 8000.0, 0.9), 0.06};
  kit.push_back(Make("pedal-hat.wav", rate, 0.2, 9, Hat, &pedal, 0.3));
  TomState low{Sweep{160.0, 115.0, 0.06, 0.35}};
  kit.push_back(Make("tom-lo.wav", rate, 0.7, 10, Tom, &low, 0.05));
  HatState open{Biquad::HighPass(rate, 6500.0, 0.7), Biquad::BandPass(rate, 9500.0, 0.7), 0.35};
  kit.push_back(Make("open-hat.wav", rate, 1.0, 11, Hat, &open, 0.4));
  TomState lowMiddle{Sweep{190.0, 140.0, 0.05, 0.3}};
  kit.push_back(Make("tom-mid.wav", rate, 0.6, 12, Tom, &lowMiddle, 0.05));
  return kit;
}

int16_t ToPcm16(float value)
{
  const double clipped = std::clamp(static_cast<double>(value), -1.0, 1.0);
  return static_cast<int16_t>(std::lround(std::clamp(clipped * 32767.0, -32768.0, 32767.0)));
}

double Quantize16(float value) { return static_cast<double>(ToPcm16(value)) / 32767.0; }

bool WriteWav16(const std::string& path, const DrumSound& sound, uint32_t sampleRate)
{
  std::vector<uint8_t> out;
  auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i)
      out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto u16 = [&](uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  };
  auto id = [&](const char* text) {
    for (int i = 0; i < 4; ++i)
      out.push_back(static_cast<uint8_t>(text[i]));
  };
  const uint32_t frames = static_cast<uint32_t>(sound.mLeft.size());
  const uint32_t dataBytes = frames * 4;
  id("RIFF");
  u32(36 + dataBytes);
  id("WAVE");
  id("fmt ");
  u32(16);
  u16(1); // PCM
  u16(2);
  u32(sampleRate);
  u32(sampleRate * 4);
  u16(4);
  u16(16);
  id("data");
  u32(dataBytes);
  for (uint32_t f = 0; f < frames; ++f)
  {
    u16(static_cast<uint16_t>(ToPcm16(sound.mLeft[f])));
    u16(static_cast<uint16_t>(ToPcm16(sound.mRight[f])));
  }
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  return static_cast<bool>(file);
}
} // namespace kitgen
