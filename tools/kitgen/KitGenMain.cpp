// kitgen: writes the default kit of twelve synthesised drum sounds as WAVE files and, on request,
// a plug-in state that loads them with a groove in Run mode.
//
//   kitgen --out DIR [--rate HZ] [--state FILE]

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "KitState.h"
#include "KitSynth.h"

namespace
{
int Usage()
{
  std::fprintf(stderr, "usage: kitgen --out DIR [--rate HZ] [--state FILE]\n");
  return 2;
}

// Steps of the demo groove, one string of 16 per drum ('x' on), in channel order.
const char* const kGroove[12] = {
  "x..x....x.x.....", // kick
  "......x.........", // side stick
  "....x.......x...", // acoustic snare
  "............x...", // hand clap
  "...............x", // electric snare
  "..............x.", // low floor tom
  "x.x.x.x.x.x.x...", // closed hi-hat
  ".............x..", // high floor tom
  ".x...x...x......", // pedal hi-hat
  "...........x....", // low tom
  "..............x.", // open hi-hat
  ".......x........", // low middle tom
};
const double kPans[12] = {0.5, 0.35, 0.5, 0.6, 0.45, 0.3, 0.65, 0.4, 0.7, 0.35, 0.68, 0.62};
const double kVolumes[12] = {1.0, 0.7, 0.9, 0.8, 0.6, 0.8, 0.5, 0.8, 0.45, 0.8, 0.5, 0.8};
} // namespace

int main(int argc, char** argv)
{
  std::string outDir;
  std::string statePath;
  double rate = 44100.0;
  for (int i = 1; i < argc; ++i)
  {
    const std::string arg = argv[i];
    if (i + 1 >= argc)
      return Usage();
    if (arg == "--out")
      outDir = argv[++i];
    else if (arg == "--state")
      statePath = argv[++i];
    else if (arg == "--rate")
      rate = std::atof(argv[++i]);
    else
      return Usage();
  }
  if (outDir.empty() || !(rate >= 8000.0 && rate <= 384000.0))
    return Usage();

  std::error_code error;
  std::filesystem::create_directories(outDir, error);
  const auto kit = kitgen::SynthesizeKit(rate);
  kitgen::KitState state;
  state.mMode = 1;           // Run
  state.mMasterVolume = 0.7; // headroom for the drums that fall together
  state.mMasterSwing = 0.35;
  for (size_t k = 0; k < kit.size(); ++k)
  {
    const auto path = std::filesystem::absolute(std::filesystem::path(outDir) / kit[k].mFileName);
    if (!kitgen::WriteWav16(path.string(), kit[k], static_cast<uint32_t>(rate)))
    {
      std::fprintf(stderr, "kitgen: cannot write %s\n", path.string().c_str());
      return 1;
    }
    std::printf("%s\n", path.string().c_str());

    kitgen::KitChannel& channel = state.mChannels[k];
    channel.mPath = path.u16string();
    channel.mNumChannels = 2;
    for (size_t f = 0; f < kit[k].mLeft.size(); ++f)
    {
      channel.mSamples.push_back(kitgen::Quantize16(kit[k].mLeft[f]));
      channel.mSamples.push_back(kitgen::Quantize16(kit[k].mRight[f]));
    }
    channel.mPan = kPans[k];
    channel.mVolume = kVolumes[k];
    channel.mSwing = k == 6 || k == 8; // the hi-hats swing
    for (int s = 0; s < 16; ++s)
      state.mPatterns[k][0][static_cast<size_t>(s)] = kGroove[k][s] == 'x' ? 1 : 0;
  }
  if (!statePath.empty() && !kitgen::WriteFile(statePath, kitgen::EncodeState(state)))
  {
    std::fprintf(stderr, "kitgen: cannot write %s\n", statePath.c_str());
    return 1;
  }
  return 0;
}
