// The built bundle through krbhost as a program, as a user of the command line meets it: what `info`
// lists, what `render` writes for a drum note, the demo kit in Midi, Run and Stop mode, the state files
// it saves and loads, its exit codes, and the editor in the host's window. The same tests run the Linux
// build and, under wine, the Windows build.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "HostTestSupport.h"
#include "TempFolder.h"

using krb::host::test::ProgramResult;
using krb::host::test::RunHost;
using krb::host::test::RunProgram;
using krb::host::test::WavData;
using krbtest::TempFolder;

namespace
{
std::string Bundle() { return KRB_PLUGIN_BUNDLE; }

std::vector<std::string> Lines(const std::string& text)
{
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size())
  {
    size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

bool HasLine(const std::string& text, const std::string& line)
{
  for (const std::string& l : Lines(text))
    if (l == line)
      return true;
  return false;
}

// How many lines of the text the regular expression finds something in.
int CountMatching(const std::string& text, const std::string& pattern)
{
  const std::regex expression(pattern);
  int count = 0;
  for (const std::string& line : Lines(text))
    if (std::regex_search(line, expression))
      ++count;
  return count;
}

std::string ReadBytes(const std::filesystem::path& path)
{
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The run's exit code, with what it said when the code is not the one expected.
void ExpectExit(const ProgramResult& run, int code)
{
  EXPECT_EQ(run.mExitCode, code) << "standard output:\n" << run.mOut << "standard error:\n" << run.mErr;
}

// Channels of a rendered file; output bus b is channels 2b and 2b + 1.
std::vector<int> Range(int first, int last)
{
  std::vector<int> channels;
  for (int c = first; c <= last; ++c)
    channels.push_back(c);
  return channels;
}

double Peak(const WavData& wav, const std::vector<int>& channels)
{
  double peak = 0.0;
  for (const int c : channels)
    for (const double v : wav.mSamples.at(static_cast<size_t>(c)))
      peak = std::max(peak, std::fabs(v));
  return peak;
}

// The frames where the channel rises above the level after at least `quiet` frames at or below it
// (the start of the file counts as quiet).
std::vector<size_t> Onsets(const WavData& wav, int channel, double above, size_t quiet)
{
  std::vector<size_t> found;
  size_t quietRun = quiet;
  const std::vector<double>& samples = wav.mSamples.at(static_cast<size_t>(channel));
  for (size_t i = 0; i < samples.size(); ++i)
  {
    if (std::fabs(samples[i]) > above)
    {
      if (quietRun >= quiet)
        found.push_back(i);
      quietRun = 0;
    }
    else
      ++quietRun;
  }
  return found;
}

struct OnsetCase
{
  int mChannel;
  size_t mQuiet;
  std::vector<size_t> mFrames;
};

// Every onset exactly where the case says, and no other.
void ExpectOnsets(const WavData& wav, const std::vector<OnsetCase>& cases)
{
  for (const OnsetCase& c : cases)
    EXPECT_EQ(Onsets(wav, c.mChannel, 0.0001, c.mQuiet), c.mFrames) << "channel " << c.mChannel;
}

// A PNG file's width and height from its header.
bool PngSize(const std::filesystem::path& path, uint32_t& width, uint32_t& height)
{
  const std::string head = ReadBytes(path).substr(0, 24);
  if (head.size() < 24 || head.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || head.compare(12, 4, "IHDR") != 0)
    return false;
  auto bigEndian = [&](size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
      value = (value << 8) | static_cast<unsigned char>(head[at + i]);
    return value;
  };
  width = bigEndian(16);
  height = bigEndian(20);
  return true;
}

// The demo kit (twelve synthesised samples) and a state that loads it with the demo groove in Run
// mode, written by kitgen into the folder. The groove has the side stick (drum 1, bus 1) on step 6
// and the acoustic snare (drum 2, bus 2) on steps 4 and 12; the kick (drum 0, bus 0) starts on step 0.
void MakeKit(const TempFolder& dir)
{
  const ProgramResult run =
    RunProgram(KRB_KITGEN_PROGRAM, {"--out", (dir / "kit").string(), "--state", (dir / "kit.state").string()});
  ASSERT_EQ(run.mExitCode, 0) << run.mOut << run.mErr;
  ASSERT_EQ(CountMatching(run.mOut, R"(\.wav$)"), 12) << run.mOut;
}

// Timing at the defaults (44100 Hz, 120 beats per minute): a step (a 16th note) is 5512.5 frames.

TEST(KrbhostInfo, ListsTheFactoryAndItsOneClass)
{
  const ProgramResult run = RunHost({"info", Bundle()});
  ExpectExit(run, 0);
  const char* const kLines[] = {
    "  entry: " KRB_MODULE_ENTRY,       "  vendor: Ombrix",    "Classes: 1",
    "  category: Audio Module Class",   "  name: Krellbinder", "  cardinality: many instances",
    "  subcategories: Instrument|Drum", "  version: 0.0.0",    "  sdk version: VST 3.7.11",
    "  controller: single component",
  };
  for (const char* line : kLines)
    EXPECT_TRUE(HasLine(run.mOut, line)) << "no line \"" << line << "\" in\n" << run.mOut;
  EXPECT_GE(CountMatching(run.mOut, "^  sample sizes: .*32"), 1) << run.mOut;
  EXPECT_GE(CountMatching(run.mOut, "^State: [0-9]+ bytes$"), 1) << run.mOut;
}

// The plug-in's 196 parameters, then the framework's bypass and MIDI controllers.
TEST(KrbhostInfo, ListsEveryParameterWithItsTitleStepsAndDefault)
{
  const ProgramResult run = RunHost({"info", Bundle()});
  ExpectExit(run, 0);
  EXPECT_EQ(CountMatching(run.mOut, "^  param [0-9]+: id ([0-9]|[1-9][0-9]|1[0-8][0-9]|19[0-5]), "), 196);
  EXPECT_TRUE(HasLine(run.mOut, "  param 0: id 0, title \"Led button 0\", short \"Led button 0\", units \"\", "
                                "steps 1, default 0, unit 0, flags 0x00000000 (none)"))
    << run.mOut;
  const char* const kPatterns[] = {
    R"(^  param 16: id 16, title "Folder button 0", .* steps 1, default 0,)",
    R"(^  param 28: id 28, title "Sequencer button 0", .* steps 1, default 0,)",
    R"(^  param 43: id 43, title "Sequencer button 15",)",
    R"(^  param 80: id 80, title "Mode button 0", .* steps 1, default 0,)",
    R"(^  param 83: id 83, title "Mode button 3", .* steps 1, default 0,)",
    R"(^  param 84: id 84, title "Octav button 0",)",
    R"(^  param 98: id 98, title "Solo button 0", .* steps 1, default 0,)",
    R"(^  param 121: id 121, title "Mute button 11", .* steps 1, default 0,)",
    R"(^  param 134: id 134, title "Pan knob 0", .* steps 0, default 0.5,)",
    R"(^  param 146: id 146, title "Volume knob 0", .* steps 0, default 0.5,)",
    R"(^  param 158: id 158, title "Pitch knob 0", .* steps 24, default 0.5,)",
    R"(^  param 182: id 182, title "Length knob 0", .* steps 0, default 1,)",
    R"(^  param 194: id 194, title "Master Volume", .* steps 0, default 0.5,)",
    R"(^  param 195: id 195, title "Master Swing", .* steps 0, default 0,)",
    R"(title "Bypass", .*\(.*bypass.*\)$)",
  };
  for (const char* pattern : kPatterns)
    EXPECT_GE(CountMatching(run.mOut, pattern), 1) << "no line matches " << pattern;
  EXPECT_EQ(CountMatching(run.mOut, R"(title "")"), 0) << "a parameter without a title";
}

// No audio input, twelve stereo outputs, one MIDI input.
TEST(KrbhostInfo, ListsTwelveStereoOutputsAndOneEventInput)
{
  const ProgramResult run = RunHost({"info", Bundle()});
  ExpectExit(run, 0);
  EXPECT_TRUE(HasLine(run.mOut, "  audio input: none")) << run.mOut;
  EXPECT_EQ(CountMatching(run.mOut, R"(^  audio output [0-9]+: "[^"]+", 2 channels, )"), 12);
  EXPECT_EQ(CountMatching(run.mOut, R"(^  audio output 0: "[^"]+", 2 channels, main, flags 0x1 )"), 1);
  EXPECT_EQ(CountMatching(run.mOut, "^  event input [0-9]+: "), 1);
  EXPECT_TRUE(HasLine(run.mOut, "  event output: none")) << run.mOut;
}

TEST(KrbhostInfo, NamesEachOutputAfterItsDrum)
{
  const ProgramResult run = RunHost({"info", Bundle()});
  const char* const kNames[] = {"Kick",           "Side Stick",    "Acoustic Snare", "Hand Clap",
                                "Electric Snare", "Low Floor Tom", "Closed Hi-Hat",  "High Floor Tom",
                                "Pedal Hi-Hat",   "Low Tom",       "Open Hi-Hat",    "Low Middle Tom"};
  for (int bus = 0; bus < 12; ++bus)
  {
    const std::string start = "^  audio output " + std::to_string(bus) + ": \"" + kNames[bus] + "\", ";
    EXPECT_GE(CountMatching(run.mOut, start), 1) << "no line starts with " << start;
  }
}

// Stop mode (the default): every output silent, even for a drum note.
TEST(KrbhostRender, StopModeIsSilentEvenForADrumNote)
{
  TempFolder dir;
  const ProgramResult run =
    RunHost({"render", Bundle(), "--frames", "22050", "--note", "0:36:127", "--out", (dir / "stop-mode.wav").string()});
  ExpectExit(run, 0);
  WavData wav;
  ASSERT_TRUE(krb::host::test::ReadWav(dir / "stop-mode.wav", wav));
  EXPECT_EQ(wav.mChannels, 24);
  ASSERT_FALSE(wav.mSamples.empty());
  EXPECT_EQ(wav.mSamples[0].size(), 22050u);
  EXPECT_LE(Peak(wav, Range(0, 23)), 0.0);
}

// Midi mode (mode button 3): note 36 strikes drum 0 on bus 0 at its offset, note 38 drum 2 on bus 2,
// and nothing else sounds.
TEST(KrbhostRender, MidiModeNotesStrikeTheirDrumsOnTheirBusesAtTheirFrames)
{
  TempFolder dir;
  ASSERT_NO_FATAL_FAILURE(MakeKit(dir));
  const ProgramResult run =
    RunHost({"render", Bundle(), "--state-in", (dir / "kit.state").string(), "--param", "83=1", "--note", "0:36:127",
             "--note", "11025:38:64", "--frames", "44100", "--out", (dir / "midi-note.wav").string()});
  ExpectExit(run, 0);
  WavData wav;
  ASSERT_TRUE(krb::host::test::ReadWav(dir / "midi-note.wav", wav));
  ASSERT_EQ(wav.mChannels, 24);
  int notFinite = 0;
  for (const std::vector<double>& channel : wav.mSamples)
    for (const double v : channel)
      notFinite += std::isfinite(v) ? 0 : 1;
  EXPECT_EQ(notFinite, 0);
  ExpectOnsets(wav, {{0, 500, {0}}, {4, 500, {11025}}});
  EXPECT_GE(Peak(wav, Range(0, 1)), 0.1);
  std::vector<int> silent = Range(2, 3);
  for (const int c : Range(6, 23))
    silent.push_back(c);
  EXPECT_LE(Peak(wav, silent), 0.0);
}

// Run mode at 120 beats per minute, two bars (a bar is 88200 frames): each drum starts on its steps.
TEST(KrbhostRender, RunModePlaysEachDrumOnItsSteps)
{
  TempFolder dir;
  ASSERT_NO_FATAL_FAILURE(MakeKit(dir));
  const ProgramResult run = RunHost({"render", Bundle(), "--state-in", (dir / "kit.state").string(), "--frames",
                                     "176400", "--tempo", "120", "--out", (dir / "run-mode.wav").string()});
  ExpectExit(run, 0);
  WavData wav;
  ASSERT_TRUE(krb::host::test::ReadWav(dir / "run-mode.wav", wav));
  ASSERT_EQ(wav.mChannels, 24);
  ExpectOnsets(wav, {{0, 2000, {0, 88200}}, {2, 500, {33075, 121275}}, {4, 500, {22050, 66150, 110250, 154350}}});
}

// Stop mode stops the same kit: silence.
TEST(KrbhostRender, StopModeSilencesTheKit)
{
  TempFolder dir;
  ASSERT_NO_FATAL_FAILURE(MakeKit(dir));
  const ProgramResult run = RunHost({"render", Bundle(), "--state-in", (dir / "kit.state").string(), "--param", "80=1",
                                     "--frames", "44100", "--out", (dir / "kit-stopped.wav").string()});
  ExpectExit(run, 0);
  WavData wav;
  ASSERT_TRUE(krb::host::test::ReadWav(dir / "kit-stopped.wav", wav));
  ASSERT_EQ(wav.mChannels, 24);
  EXPECT_LE(Peak(wav, Range(0, 23)), 0.0);
}

// A state saved after changes comes back byte for byte, and differs from the default state.
TEST(KrbhostState, SavedStateReloadsByteForByteAndDiffersFromTheDefault)
{
  TempFolder dir;
  const ProgramResult save =
    RunHost({"render", Bundle(), "--frames", "4410", "--param", "81=1", "--param", "Pitch knob 3=0.75", "--param",
             "Master Volume=0.25", "--param", "Sequencer button 2=1", "--state-out", (dir / "state-a.bin").string()});
  ExpectExit(save, 0);
  EXPECT_GE(CountMatching(save.mOut, "^wrote [0-9]+ bytes of state to "), 1) << save.mOut;

  const ProgramResult reload = RunHost({"render", Bundle(), "--frames", "4410", "--state-in",
                                        (dir / "state-a.bin").string(), "--state-out", (dir / "state-b.bin").string()});
  ExpectExit(reload, 0);
  const std::string saved = ReadBytes(dir / "state-a.bin");
  EXPECT_FALSE(saved.empty());
  EXPECT_TRUE(saved == ReadBytes(dir / "state-b.bin"));

  const ProgramResult fresh =
    RunHost({"render", Bundle(), "--frames", "4410", "--state-out", (dir / "state-default.bin").string()});
  ExpectExit(fresh, 0);
  EXPECT_FALSE(saved == ReadBytes(dir / "state-default.bin"));
}

// The kit's state comes back byte for byte, and saving and restoring report each channel's path and
// stored sample count on the debugger output.
TEST(KrbhostState, KitStateReloadsByteForByteAndReportsEachChannelsSamples)
{
  TempFolder dir;
  ASSERT_NO_FATAL_FAILURE(MakeKit(dir));
  const ProgramResult run = RunHost({"render", Bundle(), "--state-in", (dir / "kit.state").string(), "--frames", "441",
                                     "--state-out", (dir / "kit-again.state").string()},
                                    true);
  ExpectExit(run, 0);
  const std::string kit = ReadBytes(dir / "kit.state");
  EXPECT_FALSE(kit.empty());
  EXPECT_TRUE(kit == ReadBytes(dir / "kit-again.state"));
  EXPECT_EQ(CountMatching(run.mDebug, R"(^Nr of samples .*kick\.wav is 52920\.000000$)"), 2) << run.mDebug;
  EXPECT_EQ(CountMatching(run.mDebug, R"(^Nr of samples .*tom-mid\.wav is 52920\.000000$)"), 2) << run.mDebug;
}

// Failures reach the shell as exit codes, with a message on standard error.
TEST(KrbhostExit, MissingBundleExitsWith1AndAMessage)
{
  TempFolder dir;
  const ProgramResult run = RunHost({"info", (dir / "Missing.vst3").string()});
  ExpectExit(run, 1);
  EXPECT_GE(CountMatching(run.mErr, "^krbhost: "), 1) << run.mErr;
}

TEST(KrbhostExit, CommandWithoutItsBundleExitsWith2AndAMessage)
{
  const ProgramResult run = RunHost({"render"});
  ExpectExit(run, 2);
  EXPECT_GE(CountMatching(run.mErr, "^krbhost: "), 1) << run.mErr;
}

// The editor in a window of the host (needs a display). Under wine the picture of an OpenGL child
// window is black, so only its size is checked here.
TEST(KrbhostEditorWindow, ScreenshotHasTheEditorsSize)
{
  TempFolder dir;
  const ProgramResult run =
    RunHost({"render", Bundle(), "--frames", "441", "--screenshot", (dir / "editor.png").string()});
  ExpectExit(run, 0);
  uint32_t width = 0;
  uint32_t height = 0;
  ASSERT_TRUE(PngSize(dir / "editor.png", width, height)) << "not a PNG file";
  EXPECT_EQ(width, 1206u);
  EXPECT_EQ(height, 616u);
}
} // namespace
