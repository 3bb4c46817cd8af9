#pragma once
// Helpers for the host tests: where the test plug-ins and krbhost are, a WAV reader and running
// krbhost (or another program of the build) as a program. (The temporary folder is the tests' common
// one, TempFolder.h.)

#include "HostPlugin.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace krb::host::test
{

std::filesystem::path FixtureBundle();
std::filesystem::path NoFactoryBundle();
std::filesystem::path HostProgram();

// Classes of the test plug-in.
inline const char* const kSingleClass = "Krb Test Single";
inline const char* const kSplitClass = "Krb Test Split";
inline const char* const kSplitControllerClass = "Krb Test Split Controller";
// Its parameter ids.
enum EFixtureParam : Steinberg::Vst::ParamID
{
  kGainId = 1,
  kModeId = 2,
  kConnectedId = 3,
  kPeakId = 4,
  kBypassId = 100
};

// Opens a class of the test plug-in; fails the test when it cannot.
std::unique_ptr<HostPlugin> OpenFixture(const std::string& classSelector = kSingleClass);

// The test plug-in's state bytes for the given values.
std::vector<std::uint8_t> FixtureState(double gain, double mode, double bypass);

struct WavData
{
  std::uint16_t mFormatTag = 0;
  std::uint16_t mSubFormat = 0; // extensible: the sub-format's first field
  std::uint32_t mFmtSize = 0;
  std::uint16_t mChannels = 0;
  std::uint32_t mSampleRate = 0;
  std::uint16_t mBits = 0;
  bool mHasFact = false;
  std::vector<std::vector<double>> mSamples; // per channel, 16-bit as value / 32767
};

// False (with a gtest failure message) when the file is not a WAV this host writes.
bool ReadWav(const std::filesystem::path& path, WavData& wav);

struct ProgramResult
{
  int mExitCode = -1;
  std::string mOut;
  std::string mErr;
  std::string mDebug; // the debugger output, when it was asked for (standard error on Linux)
};

// Runs a program with the arguments, each passed as it is. With captureDebugOutput the program's
// debugger output is collected too: on Windows the program runs under this process as its debugger.
ProgramResult RunProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                         bool captureDebugOutput = false);

// Runs krbhost with the arguments.
ProgramResult RunHost(const std::vector<std::string>& args, bool captureDebugOutput = false);

} // namespace krb::host::test
