// Offline rendering through the library and krbhost as a program: info listing, WAV output,
// state files, bus choices and error exits.

#include "HostCli.h"
#include "HostRender.h"
#include "HostTestSupport.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace Steinberg;

namespace krb::host
{
namespace
{

using test::RunHost;

TEST(RenderTest, PlacesNotesAndChangesAtTheirFramesAcrossBlocks)
{
  auto plugin = test::OpenFixture();
  ASSERT_TRUE(plugin);
  RenderOptions options;
  options.mBlockSize = 256;
  options.mFrames = 1000;
  options.mNotes = {{10, 36, 1.0f, 5}, {700, 38, 0.5f, -1}, {999, 40, 1.0f, -1}};
  options.mParams = {{test::kGainId, 0.8, 600}};
  RenderResult result;
  std::string error;
  ASSERT_TRUE(Render(*plugin, options, result, error)) << error;
  ASSERT_EQ(result.mBuses.size(), 2u);
  EXPECT_EQ(result.mBuses[0].mName, "Main");
  EXPECT_EQ(result.AllChannels().size(), 4u);

  const std::vector<double>& main = result.mBuses[0].mChannels[0];
  ASSERT_EQ(main.size(), 1000u);
  for (std::size_t f = 0; f < main.size(); ++f)
  {
    const double expected = f == 10 ? 0.5 : f == 700 ? 0.4 : f == 999 ? 0.8 : 0.0;
    ASSERT_NEAR(main[f], expected, 1e-6) << "frame " << f;
  }
  // The host keeps the controller in step with the changes it sent.
  EXPECT_NEAR(plugin->Controller()->getParamNormalized(test::kGainId), 0.8, 1e-12);
  EXPECT_FALSE(plugin->IsActive());
}

TEST(RenderTest, ActivatesTheChosenOutputBuses)
{
  struct ActivationCase
  {
    EBusActivation mActivation;
    std::vector<int32> mList;
    bool mAuxActive;
  };
  const ActivationCase kCases[] = {{EBusActivation::kAll, {}, true},
                                   {EBusActivation::kDefault, {}, false},
                                   {EBusActivation::kList, {1}, true},
                                   {EBusActivation::kList, {0}, false}};
  auto plugin = test::OpenFixture();
  ASSERT_TRUE(plugin);
  for (const ActivationCase& c : kCases)
  {
    RenderOptions options;
    options.mFrames = 64;
    options.mTempo = 150;
    options.mActivation = c.mActivation;
    options.mActiveBuses = c.mList;
    RenderResult result;
    std::string error;
    ASSERT_TRUE(Render(*plugin, options, result, error)) << error;
    EXPECT_EQ(result.mBuses[1].mActive, c.mAuxActive);
    EXPECT_NEAR(result.mBuses[1].mChannels[0][63], c.mAuxActive ? 0.15 : 0.0, 1e-6);
  }
  RenderOptions bad;
  bad.mFrames = 64;
  bad.mActivation = EBusActivation::kList;
  bad.mActiveBuses = {7};
  RenderResult result;
  std::string error;
  EXPECT_FALSE(Render(*plugin, bad, result, error));
  EXPECT_NE(error.find("no audio output bus 7"), std::string::npos) << error;
}

TEST(HostProgramTest, InfoListsFactoryClassesBusesAndParameters)
{
  const auto run = RunHost({"info", test::FixtureBundle().string()});
  ASSERT_EQ(run.mExitCode, kExitOk) << run.mErr;
  const char* const kLines[] = {
    "  entry: " KRB_MODULE_ENTRY "\n",
    "  vendor: Krellbinder Tests\n",
    "  flags: 0x00000010 (Unicode)\n",
    "Classes: 3\n",
    "  cid: 4B52425453494E474C45000000000001\n",
    "  subcategories: Instrument|Drum\n",
    "  cardinality: many instances\n",
    "  sdk version: " kVstVersionString "\n",
    "  controller: single component\n",
    "  controller: separate class 4B52425453504C495443545200000003\n",
    "  process context requirements: 0x00000440 (Tempo, TransportState)\n",
    "  audio output 1: \"Aux\", 2 channels, aux, flags 0x0 (none), arrangement 0x03\n",
    "  event input 0: \"MIDI In\", 16 channels, main, flags 0x1 (default active)\n",
    ("  param 4: id 100, title \"Bypass\", short \"Byp\", units \"\", steps 1, default 0, unit 0, flags "
     "0x00010001 (automate, bypass)\n"),
    "  cc 7 -> param 1\n",
    "State: 32 bytes\n",
  };
  for (const char* line : kLines)
    EXPECT_NE(run.mOut.find(line), std::string::npos) << "missing: " << line;
  EXPECT_TRUE(run.mErr.empty()) << run.mErr;

  const auto one = RunHost({"info", test::FixtureBundle().string(), "--class", test::kSplitClass});
  ASSERT_EQ(one.mExitCode, kExitOk) << one.mErr;
  EXPECT_EQ(one.mOut.find("Instance of class 0"), std::string::npos);
  EXPECT_NE(one.mOut.find("Instance of class 1 \"Krb Test Split\""), std::string::npos);
}

TEST(HostProgramTest, RendersAllBusesOrOneToWav)
{
  krbtest::TempFolder dir;
  struct WavCase
  {
    std::vector<std::string> mExtra;
    std::uint16_t mChannels;
    std::uint16_t mBits;
    double mTolerance;
  };
  const WavCase kCases[] = {
    {{}, 4, 32, 1e-7},
    {{"--buses", "0", "--format", "pcm16"}, 2, 16, 1.0 / 32767},
    {{"--sample-size", "64", "--block", "100"}, 4, 32, 1e-7},
  };
  for (const WavCase& c : kCases)
  {
    const auto wavPath = (dir / "out.wav").string();
    std::vector<std::string> args = {"render",   test::FixtureBundle().string(),
                                     "--out",    wavPath,
                                     "--frames", "2000",
                                     "--rate",   "48000",
                                     "--tempo",  "100",
                                     "--note",   "1500:36:127",
                                     "--note",   "20:37:64:10",
                                     "--param",  "Gain=1"};
    args.insert(args.end(), c.mExtra.begin(), c.mExtra.end());
    const auto run = RunHost(args);
    ASSERT_EQ(run.mExitCode, kExitOk) << run.mErr;
    EXPECT_NE(run.mOut.find("wrote 2000 frames of " + std::to_string(c.mChannels) + " channels"), std::string::npos)
      << run.mOut;

    test::WavData wav;
    ASSERT_TRUE(test::ReadWav(wavPath, wav));
    EXPECT_EQ(wav.mChannels, c.mChannels);
    EXPECT_EQ(wav.mBits, c.mBits);
    EXPECT_EQ(wav.mSampleRate, 48000u);
    ASSERT_EQ(wav.mSamples[0].size(), 2000u);
    EXPECT_NEAR(wav.mSamples[0][1500], 1.0, c.mTolerance);
    EXPECT_NEAR(wav.mSamples[1][20], 64.0 / 127.0, c.mTolerance);
    EXPECT_EQ(wav.mSamples[0][21], 0.0);
    if (c.mChannels == 4)
    {
      // Bus 1 ("Aux"): tempo / 1000 and the transport, on every frame.
      EXPECT_NEAR(wav.mSamples[2][0], 0.1, 1e-6);
      EXPECT_EQ(wav.mSamples[3][1999], 1.0);
    }
  }
}

TEST(HostProgramTest, StateFilesRoundTrip)
{
  krbtest::TempFolder dir;
  const auto state = (dir / "state.bin").string();
  const auto wavPath = (dir / "out.wav").string();
  const auto save =
    RunHost({"render", test::FixtureBundle().string(), "--seconds", "0", "--param", "1=0.3", "--state-out", state});
  ASSERT_EQ(save.mExitCode, kExitOk) << save.mErr;
  std::ifstream file(state, std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, test::FixtureState(0.5, 0.0, 0.0)) << "no frames: the change never reached the processor";

  const auto change = RunHost({"render", test::FixtureBundle().string(), "--frames", "10", "--param", "1=0.3",
                               "--param", "Mode=1@5", "--state-out", state});
  ASSERT_EQ(change.mExitCode, kExitOk) << change.mErr;
  const auto load = RunHost({"render", test::FixtureBundle().string(), "--frames", "10", "--state-in", state, "--note",
                             "0:36:127", "--out", wavPath, "--buses", "0"});
  ASSERT_EQ(load.mExitCode, kExitOk) << load.mErr;
  test::WavData wav;
  ASSERT_TRUE(test::ReadWav(wavPath, wav));
  EXPECT_NEAR(wav.mSamples[0][0], 0.3, 1e-6) << "the gain came back from the state file";
}

TEST(HostProgramTest, FailsWithAClearMessageAndExitCode)
{
  krbtest::TempFolder dir;
  const auto corrupt = (dir / "corrupt.bin").string();
  std::ofstream(corrupt) << "garbage";
  const std::string bundle = test::FixtureBundle().string();
  struct ErrorCase
  {
    std::vector<std::string> mArgs;
    int mExit;
    const char* mMessage;
  };
  const ErrorCase kCases[] = {
    {{}, kExitUsage, "no command given"},
    {{"play"}, kExitUsage, "unknown command"},
    {{"info"}, kExitUsage, "needs a BUNDLE"},
    {{"info", (dir / "None.vst3").string()}, kExitFailure, "no module binary"},
    {{"info", test::NoFactoryBundle().string()}, kExitFailure, "does not export GetPluginFactory"},
    {{"info", bundle, "--class", "7"}, kExitFailure, "no class with index 7"},
    {{"render", bundle, "--bogus", "1"}, kExitUsage, "unknown option --bogus"},
    {{"render", bundle, "--note", "1:200:100"}, kExitUsage, "--note NOTE needs a whole number from 0 to 127"},
    {{"render", bundle, "--param", "Gain=2"}, kExitUsage, "--param VALUE needs a number"},
    {{"render", bundle, "--param", "Volume=0.5"}, kExitFailure, "no parameter \"Volume\""},
    {{"render", bundle, "--sample-size", "16"}, kExitUsage, "--sample-size needs 32 or 64"},
    {{"render", bundle, "--seconds", "1", "--frames", "5"}, kExitUsage, "not both"},
    {{"render", bundle, "--state-in", corrupt}, kExitFailure, "rejected the state"},
    {{"render", bundle, "--state-in", (dir / "none.bin").string()}, kExitFailure, "cannot open"},
    {{"render", bundle, "--frames", "8", "--out", (dir / "x.wav").string(), "--buses", "5"},
     kExitFailure,
     "no audio output bus 5"},
    {{"render", bundle, "--frames", "8", "--out", (dir / "no" / "x.wav").string()}, kExitFailure, "cannot create"},
    {{"render", bundle, "--class", test::kSplitControllerClass}, kExitFailure, "as IComponent failed"},
  };
  for (const ErrorCase& c : kCases)
  {
    std::ostringstream out;
    std::ostringstream err;
    const int code = RunCli(c.mArgs, out, err);
    SCOPED_TRACE(c.mMessage);
    EXPECT_EQ(code, c.mExit);
    EXPECT_NE(err.str().find(c.mMessage), std::string::npos) << err.str();
  }
  // The same through the program.
  const auto run = RunHost({"render", bundle, "--state-in", corrupt});
  EXPECT_EQ(run.mExitCode, kExitFailure);
  EXPECT_NE(run.mErr.find("rejected the state"), std::string::npos) << run.mErr;
}

TEST(HostProgramTest, HelpDescribesTheCommands)
{
  const auto run = RunHost({"--help"});
  ASSERT_EQ(run.mExitCode, kExitOk);
  const auto inCommand = RunHost({"render", "--help"});
  EXPECT_EQ(inCommand.mExitCode, kExitOk);
  EXPECT_EQ(inCommand.mOut, run.mOut);
  for (const char* text : {"krbhost info BUNDLE", "krbhost render BUNDLE", "--note FRAME:NOTE:VEL[:LEN]",
                           "--state-in FILE", "--buses all|N", "--sample-size 32|64", "Exit status"})
    EXPECT_NE(run.mOut.find(text), std::string::npos) << text;
}

} // namespace
} // namespace krb::host
