// The audio block against the least work that its output needs: twelve stereo buffers read, two
// gains applied, 24 outputs written. Both run in the same process; the report ends with the ratio.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "EngineHarness.h"
#include "TempFolder.h"
#include "WavFiles.h"

namespace
{
constexpr int kBlock = 512;
constexpr uint32_t kSampleFrames = 441000; // ten seconds: every channel sounds through a whole step

void BM_ProcessBlockRunMode(benchmark::State& state)
{
  krbtest::TempFolder folder;
  krbtest::EngineHarness harness(44100.0, kBlock, Steinberg::Vst::kSample64);
  Krellbinder& plug = harness.Plug();
  for (int k = 0; k < kNumDrums; ++k)
  {
    const auto path = folder / ("drum" + std::to_string(k) + ".wav");
    krbtest::WriteFloatWav(path, krbtest::Ramp(2, kSampleFrames));
    plug.mSlots[static_cast<size_t>(k)].LoadFile(path.u16string());
    for (int step = 0; step < kNumSteps; ++step)
      plug.mSequencer.SetStep(k, 0, step, true);
    harness.PlainParam(kPanKnob + k, k / 11.0);
  }
  plug.mMode = kModeRun;
  harness.Process(kBlock);
  for (auto _ : state)
  {
    auto& data = harness.PrepareBlock(kBlock);
    plug.process(data);
    harness.FinishBlock();
    benchmark::DoNotOptimize(data.outputs[11].channelBuffers64[1][kBlock - 1]);
  }
  state.SetItemsProcessed(state.iterations() * kBlock);
}

void BM_BaselineTwelveStereoBuffers(benchmark::State& state)
{
  std::vector<std::vector<double>> samples(kNumDrums, std::vector<double>(2 * kSampleFrames));
  for (int k = 0; k < kNumDrums; ++k)
    for (size_t i = 0; i < samples[static_cast<size_t>(k)].size(); ++i)
      samples[static_cast<size_t>(k)][i] = static_cast<double>((i + static_cast<size_t>(k)) % 1000) / 1000.0;
  std::vector<std::vector<double>> outputs(2 * kNumDrums, std::vector<double>(kBlock));
  double gains[kNumDrums][2];
  for (int k = 0; k < kNumDrums; ++k)
  {
    gains[k][0] = 1.0 - k / 22.0;
    gains[k][1] = 0.5 + k / 22.0;
  }
  size_t position = 0;
  for (auto _ : state)
  {
    for (int k = 0; k < kNumDrums; ++k)
    {
      const double* in = samples[static_cast<size_t>(k)].data() + 2 * position;
      double* left = outputs[static_cast<size_t>(2 * k)].data();
      double* right = outputs[static_cast<size_t>(2 * k + 1)].data();
      for (int f = 0; f < kBlock; ++f)
      {
        left[f] = in[2 * f] * gains[k][0];
        right[f] = in[2 * f + 1] * gains[k][1];
      }
    }
    position = (position + kBlock) % (kSampleFrames - kBlock);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kBlock);
}

BENCHMARK(BM_BaselineTwelveStereoBuffers);
BENCHMARK(BM_ProcessBlockRunMode);

// Prints every benchmark as usual, then nanoseconds per frame and the ratio to the baseline.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
  void ReportRuns(const std::vector<Run>& runs) override
  {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
    {
      // With repetitions, the mean stands for the benchmark.
      const bool aggregate = run.run_type == Run::RT_Aggregate;
      if (run.error_occurred || (aggregate && run.aggregate_name != "mean") || (!aggregate && run.iterations <= 0))
        continue;
      mNsPerFrame[run.run_name.function_name] =
        run.GetAdjustedRealTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit) / kBlock;
    }
  }
  void Finalize() override
  {
    ConsoleReporter::Finalize();
    const auto baseline = mNsPerFrame.find("BM_BaselineTwelveStereoBuffers");
    const auto engine = mNsPerFrame.find("BM_ProcessBlockRunMode");
    if (baseline == mNsPerFrame.end() || engine == mNsPerFrame.end())
      return;
    std::printf("\nbaseline: %.2f ns per frame\nprocess:  %.2f ns per frame\nratio:    %.2f (goal: 2.00 or less)\n",
                baseline->second, engine->second, engine->second / baseline->second);
  }

private:
  std::map<std::string, double> mNsPerFrame;
};
} // namespace

int main(int argc, char** argv)
{
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
