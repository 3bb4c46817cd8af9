#pragma once

// Helpers shared by the reaction, state and dialog tests: a temporary folder, small WAV files, a
// stand-in sample chooser on PATH, and a writer of state chunks value by value.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace krbtest
{
namespace fs = std::filesystem;

// A folder under /tmp, removed with everything in it when the object goes.
class TempFolder
{
public:
  TempFolder()
  {
    char pattern[] = "/tmp/krb-test-XXXXXX";
    if (!mkdtemp(pattern))
      throw std::runtime_error("mkdtemp failed");
    mPath = pattern;
  }
  ~TempFolder()
  {
    std::error_code ec;
    fs::remove_all(mPath, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const fs::path& Path() const { return mPath; }
  fs::path operator/(const std::string& name) const { return mPath / name; }

private:
  fs::path mPath;
};

// Test paths are ASCII.
inline std::u16string U16(const fs::path& path)
{
  const std::string text = path.string();
  return std::u16string(text.begin(), text.end());
}

// Writes a WAV file: 16-bit PCM, or 32-bit float when asFloat is set; channels[c][frame].
inline void WriteWav(const fs::path& path, const std::vector<std::vector<double>>& channels, bool asFloat = false)
{
  const uint16_t numChannels = static_cast<uint16_t>(channels.size());
  const uint32_t frames = channels.empty() ? 0 : static_cast<uint32_t>(channels[0].size());
  const uint16_t bits = asFloat ? 32 : 16;
  const uint16_t blockAlign = static_cast<uint16_t>(numChannels * bits / 8);
  const uint32_t dataBytes = frames * blockAlign;
  std::vector<uint8_t> bytes;
  auto put = [&bytes](const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + size);
  };
  auto put32 = [&put](uint32_t v) { put(&v, 4); };
  auto put16 = [&put](uint16_t v) { put(&v, 2); };
  put("RIFF", 4);
  put32(36 + dataBytes);
  put("WAVE", 4);
  put("fmt ", 4);
  put32(16);
  put16(asFloat ? 3 : 1);
  put16(numChannels);
  put32(44100);
  put32(44100 * blockAlign);
  put16(blockAlign);
  put16(bits);
  put("data", 4);
  put32(dataBytes);
  for (uint32_t f = 0; f < frames; ++f)
    for (const auto& channel : channels)
    {
      if (asFloat)
      {
        const float v = static_cast<float>(channel[f]);
        put(&v, 4);
      }
      else
      {
        const double clipped = channel[f] > 1.0 ? 1.0 : channel[f] < -1.0 ? -1.0 : channel[f];
        const auto v = static_cast<int16_t>(clipped >= 0 ? clipped * 32767.0 + 0.5 : clipped * 32768.0 - 0.5);
        put(&v, 2);
      }
    }
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A mono file of `frames` frames, every value `value`.
inline void WriteConstantWav(const fs::path& path, uint32_t frames, double value = 0.5)
{
  WriteWav(path, {std::vector<double>(frames, value)});
}

// Sets an environment variable for the life of the object.
class ScopedEnv
{
public:
  ScopedEnv(const char* name, const std::optional<std::string>& value) : mName(name)
  {
    if (const char* old = std::getenv(name))
      mOld = old;
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv()
  {
    if (mOld)
      setenv(mName.c_str(), mOld->c_str(), 1);
    else
      unsetenv(mName.c_str());
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
  std::string mName;
  std::optional<std::string> mOld;
};

#ifdef KRB_FAKE_CHOOSER
// Puts the stand-in chooser on PATH as zenity, alone, answering with `answer` and `status`.
class FakeChooser
{
public:
  FakeChooser(const TempFolder& folder)
    : mBin(folder / "bin")
    , mLog(folder / "chooser-args")
    , mPath("PATH", mBin.string())
    , mDesktop("XDG_CURRENT_DESKTOP", std::nullopt)
    , mLogEnv("KRB_FAKE_CHOOSER_LOG", mLog.string())
  {
    fs::create_directories(mBin);
    fs::create_symlink(KRB_FAKE_CHOOSER, mBin / "zenity");
  }

  void Answer(const std::string& answer, int status)
  {
    mAnswer.emplace("KRB_FAKE_CHOOSER_ANSWER", answer);
    mStatus.emplace("KRB_FAKE_CHOOSER_STATUS", std::to_string(status));
  }
  // Chooses a file: its path and a line end, status 0.
  void Choose(const fs::path& file) { Answer(file.string() + "\n", 0); }
  void Cancel() { Answer("", 1); }

  bool Ran() const { return fs::exists(mLog); }
  void Forget() const
  {
    std::error_code ec;
    fs::remove(mLog, ec);
  }

private:
  fs::path mBin, mLog;
  ScopedEnv mPath, mDesktop, mLogEnv;
  std::optional<ScopedEnv> mAnswer, mStatus;
};
#endif

// Writes a state chunk value by value, as the plug-in lays it out.
class ChunkBuilder
{
public:
  static constexpr int kPatternValues = 12 * 24 * 128;

  ChunkBuilder& Double(double v) { return Raw(&v, 8); }
  ChunkBuilder& Int(int32_t v) { return Raw(&v, 4); }
  ChunkBuilder& Raw(const void* data, size_t size)
  {
    const auto* p = static_cast<const uint8_t*>(data);
    mBytes.insert(mBytes.end(), p, p + size);
    return *this;
  }
  ChunkBuilder& Path(const std::u16string& path)
  {
    for (char16_t unit : path)
      Double(static_cast<double>(unit));
    return Double(0.0);
  }

  // Version, an empty pattern memory (or the given one), the selections and the master values.
  ChunkBuilder& FixedPart(double version = 3.0, const std::vector<double>& patterns = {}, int32_t displayedStep = 0,
                          int32_t selectedDrum = 0, int32_t mode = 0, int32_t octave = 0, int32_t pattern = 0,
                          double masterVolume = 1.0, double masterSwing = 0.0)
  {
    Double(version);
    for (int i = 0; i < kPatternValues; ++i)
      Double(i < static_cast<int>(patterns.size()) ? patterns[static_cast<size_t>(i)] : 0.0);
    Int(displayedStep).Int(selectedDrum).Int(mode).Int(octave).Int(pattern);
    return Double(masterVolume).Double(masterSwing);
  }

  struct Channel
  {
    std::u16string path;
    std::vector<double> samples; // interleaved when numChannels is 2
    double numChannels = 1.0;
    int32_t state = 0;
    double pan = 0.5;
    double volume = 1.0;
    int32_t pitch = 0;
    double swing = 0.0;
    double length = 1.0;
  };

  ChunkBuilder& Record(const Channel& c)
  {
    Path(c.path);
    Double(static_cast<double>(c.samples.size()));
    if (!c.samples.empty())
    {
      Double(c.numChannels);
      for (double v : c.samples)
        Double(v);
    }
    return Int(c.state).Double(c.pan).Double(c.volume).Int(c.pitch).Double(c.swing).Double(c.length);
  }

  // The mixer fields after the count (and the samples, if any).
  ChunkBuilder& RecordTail(int32_t state = 0, double pan = 0.5, double volume = 1.0, int32_t pitch = 0,
                           double swing = 0.0, double length = 1.0)
  {
    return Int(state).Double(pan).Double(volume).Int(pitch).Double(swing).Double(length);
  }

  ChunkBuilder& EmptyRecords(int count)
  {
    for (int i = 0; i < count; ++i)
      Record({});
    return *this;
  }

  const std::vector<uint8_t>& Bytes() const { return mBytes; }
  size_t Size() const { return mBytes.size(); }

private:
  std::vector<uint8_t> mBytes;
};

inline double DoubleAt(const uint8_t* data, size_t offset)
{
  double v;
  std::memcpy(&v, data + offset, 8);
  return v;
}

inline int32_t IntAt(const uint8_t* data, size_t offset)
{
  int32_t v;
  std::memcpy(&v, data + offset, 4);
  return v;
}
} // namespace krbtest
