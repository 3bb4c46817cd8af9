// Loads the same 10-second 44.1 kHz stereo WAV files (16 and 24 bits) with SampleFileReader and
// with libsndfile (sf_readf_double, then split into per-channel vectors), and prints how many
// times faster the reader is than libsndfile.

#include "SampleFileReader.h"
#include "SampleFileWriter.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <set>

namespace
{
constexpr int kSampleRate = 44100;
constexpr int kNumChannels = 2;
constexpr int kNumFrames = 10 * kSampleRate;

std::filesystem::path gFolder;
std::map<int, std::string> gFiles; // bit depth -> path

void WriteFiles()
{
  gFolder = std::filesystem::temp_directory_path() / ("krb-samples-bench-" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(gFolder);
  std::mt19937 random(1234);
  for (int bits : {16, 24})
  {
    const int64_t full = (int64_t(1) << (bits - 1)) - 1;
    std::uniform_int_distribution<int64_t> value(-full - 1, full);
    std::vector<int64_t> values(size_t(kNumFrames) * kNumChannels);
    for (int64_t& v : values)
      v = value(random);
    using namespace sample_file_writer;
    const Bytes file = MakeWave(WaveFormat(kWavePcm, kNumChannels, kSampleRate, static_cast<uint16_t>(bits)),
                                EncodeInts(values, bits / 8, EByteOrder::kLittleEndian));
    const std::filesystem::path path = gFolder / ("stereo-" + std::to_string(bits) + ".wav");
    std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    gFiles[bits] = path.string();
  }
}

void Reader(benchmark::State& state)
{
  const std::string& path = gFiles.at(static_cast<int>(state.range(0)));
  for (auto _ : state)
  {
    SampleFileReader<double> reader;
    if (!reader.Load(path) || reader.mSamples.size() != kNumChannels || reader.mSamples[1].size() != size_t(kNumFrames))
      state.SkipWithError("reader failed");
    benchmark::DoNotOptimize(reader.mSamples[1].data());
  }
}

void Sndfile(benchmark::State& state)
{
  const std::string& path = gFiles.at(static_cast<int>(state.range(0)));
  for (auto _ : state)
  {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr)
    {
      state.SkipWithError("sf_open failed");
      break;
    }
    std::vector<double> interleaved(size_t(info.frames) * size_t(info.channels));
    const sf_count_t read = sf_readf_double(file, interleaved.data(), info.frames);
    sf_close(file);
    std::vector<std::vector<double>> channels(size_t(info.channels));
    for (int c = 0; c < info.channels; ++c)
    {
      channels[c].resize(size_t(read));
      for (sf_count_t k = 0; k < read; ++k)
        channels[c][size_t(k)] = interleaved[size_t(k * info.channels + c)];
    }
    if (read != kNumFrames)
      state.SkipWithError("libsndfile read too little");
    benchmark::DoNotOptimize(channels[1].data());
  }
}

BENCHMARK(Reader)->Arg(16)->Arg(24)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(Sndfile)->Arg(16)->Arg(24)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Keeps each run's time per iteration so that the ratio can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
  void ReportRuns(const std::vector<Run>& runs) override
  {
    // CPU time (the file reads' system time included) is steadier than wall time on a busy
    // machine; with repetitions the median is used, otherwise the single run.
    for (const Run& run : runs)
    {
      const std::string name = run.run_name.function_name + "/" + run.run_name.args;
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (median || (run.run_type == Run::RT_Iteration && !mMedians.contains(name)))
        mTimes[name] = run.GetAdjustedCPUTime();
      if (median)
        mMedians.insert(name);
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatios() const
  {
    for (int bits : {16, 24})
    {
      const std::string arg = "/" + std::to_string(bits);
      const auto ours = mTimes.find("Reader" + arg);
      const auto theirs = mTimes.find("Sndfile" + arg);
      if (ours == mTimes.end() || theirs == mTimes.end() || ours->second <= 0.0)
        continue;
      std::cout << bits
                << "-bit stereo, 10 s: libsndfile CPU time / reader CPU time = " << theirs->second / ours->second
                << (theirs->second >= ours->second ? "  (reader at least as fast)\n" : "  (reader SLOWER)\n");
    }
  }

private:
  std::map<std::string, double> mTimes;
  std::set<std::string> mMedians;
};
} // namespace

int main(int argc, char** argv)
{
  benchmark::Initialize(&argc, argv);
  WriteFiles();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  std::error_code error;
  std::filesystem::remove_all(gFolder, error);
  benchmark::Shutdown();
  return 0;
}
