// Save and restore of a full state (twelve stereo samples of 10 s at 44.1 kHz, about 85 MB of chunk)
// against a plain memcpy of the same bytes, timed in the same iterations: "x_memcpy" is the ratio to
// a copy into fresh memory (as the chunk and the restored buffers are), "x_warm_memcpy" the ratio to a
// copy into memory that is already mapped.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "Krellbinder.h"

namespace
{
constexpr uint32_t kFrames = 441000; // 10 s at 44.1 kHz
constexpr int kPatternValues = 12 * 24 * 128;

using Clock = std::chrono::steady_clock;

template <class T>
void Append(std::vector<uint8_t>& bytes, T value)
{
  const auto* p = reinterpret_cast<const uint8_t*>(&value);
  bytes.insert(bytes.end(), p, p + sizeof(T));
}

// A state of twelve stereo channels without paths, each with its own noise.
std::vector<uint8_t> FullState()
{
  std::vector<uint8_t> bytes;
  bytes.reserve(90u << 20);
  Append(bytes, 3.0);
  for (int i = 0; i < kPatternValues; ++i)
    Append(bytes, i % 7 == 0 ? 1.0 : 0.0);
  for (int i = 0; i < 5; ++i)
    Append(bytes, int32_t{0});
  Append(bytes, 1.0);
  Append(bytes, 0.0);
  uint32_t seed = 12345;
  for (int ch = 0; ch < 12; ++ch)
  {
    Append(bytes, 0.0); // empty path
    Append(bytes, 2.0 * kFrames);
    Append(bytes, 2.0);
    for (uint32_t i = 0; i < 2 * kFrames; ++i)
    {
      seed = seed * 1664525u + 1013904223u;
      Append(bytes, static_cast<double>(static_cast<int32_t>(seed)) / 2147483648.0);
    }
    Append(bytes, int32_t{0});
    Append(bytes, 0.5);
    Append(bytes, 1.0);
    Append(bytes, int32_t{0});
    Append(bytes, 0.0);
    Append(bytes, 1.0);
  }
  return bytes;
}

struct Fixture
{
  Krellbinder* plug = nullptr;
  IByteChunk saved;

  Fixture()
  {
    plug = new Krellbinder(InstanceInfo());
    plug->initialize(nullptr);
    // The channels have no files: each restore's reload fails, and the reader would say so every time.
    for (SampleSlot& slot : plug->mSlots)
      slot.mReader.mLogErrors = false;
    const std::vector<uint8_t> state = FullState();
    saved.PutBytes(state.data(), static_cast<int>(state.size()));
    if (plug->UnserializeState(saved, 0) != saved.Size())
      std::abort();
  }
};

Fixture& Shared()
{
  static Fixture fixture;
  return fixture;
}

// The same bytes copied into fresh memory, as a new chunk and new sample buffers are fresh pages too.
double MemcpySeconds(const uint8_t* source, size_t size)
{
  const auto start = Clock::now();
  std::unique_ptr<uint8_t[]> target(new uint8_t[size]);
  std::memcpy(target.get(), source, size);
  benchmark::DoNotOptimize(target.get());
  benchmark::ClobberMemory();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The same bytes copied into memory that is already mapped: the bare copy.
double WarmMemcpySeconds(const uint8_t* source, size_t size)
{
  static std::vector<uint8_t> target;
  if (target.size() < size)
    target.assign(size, 1);
  const auto start = Clock::now();
  std::memcpy(target.data(), source, size);
  benchmark::DoNotOptimize(target.data());
  benchmark::ClobberMemory();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void BM_SaveState(benchmark::State& state)
{
  Fixture& f = Shared();
  double saveTotal = 0.0, memcpyTotal = 0.0, warmTotal = 0.0;
  for (auto _ : state)
  {
    const auto start = Clock::now();
    {
      IByteChunk chunk;
      if (!f.plug->SerializeState(chunk))
        state.SkipWithError("SerializeState failed");
      benchmark::DoNotOptimize(chunk.GetData());
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(seconds);
    saveTotal += seconds;
    memcpyTotal += MemcpySeconds(f.saved.GetData(), static_cast<size_t>(f.saved.Size()));
    warmTotal += WarmMemcpySeconds(f.saved.GetData(), static_cast<size_t>(f.saved.Size()));
  }
  state.SetBytesProcessed(state.iterations() * f.saved.Size());
  state.counters["memcpy_ms"] = memcpyTotal * 1e3 / static_cast<double>(state.iterations());
  state.counters["x_memcpy"] = saveTotal / memcpyTotal;
  state.counters["x_warm_memcpy"] = saveTotal / warmTotal;
}

void BM_RestoreState(benchmark::State& state)
{
  Fixture& f = Shared();
  double restoreTotal = 0.0, memcpyTotal = 0.0, warmTotal = 0.0;
  for (auto _ : state)
  {
    const auto start = Clock::now();
    if (f.plug->UnserializeState(f.saved, 0) != f.saved.Size())
      state.SkipWithError("UnserializeState failed");
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(seconds);
    restoreTotal += seconds;
    memcpyTotal += MemcpySeconds(f.saved.GetData(), static_cast<size_t>(f.saved.Size()));
    warmTotal += WarmMemcpySeconds(f.saved.GetData(), static_cast<size_t>(f.saved.Size()));
  }
  state.SetBytesProcessed(state.iterations() * f.saved.Size());
  state.counters["memcpy_ms"] = memcpyTotal * 1e3 / static_cast<double>(state.iterations());
  state.counters["x_memcpy"] = restoreTotal / memcpyTotal;
  state.counters["x_warm_memcpy"] = restoreTotal / warmTotal;
}

BENCHMARK(BM_SaveState)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_RestoreState)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
} // namespace

int main(int argc, char** argv)
{
  benchmark::Initialize(&argc, argv);
  // Save and restore write one trace line per channel to standard error; keep the report readable.
  const int devNull = open("/dev/null", O_WRONLY);
  if (devNull >= 0)
    dup2(devNull, STDERR_FILENO);
  Shared();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
