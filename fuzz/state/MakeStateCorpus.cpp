// Writes the seed chunks of the state fuzz target into the folder given as the only argument.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
class Chunk
{
public:
  Chunk& D(double v) { return Raw(&v, 8); }
  Chunk& I(int32_t v) { return Raw(&v, 4); }
  Chunk& Raw(const void* p, size_t n)
  {
    const auto* b = static_cast<const uint8_t*>(p);
    mBytes.insert(mBytes.end(), b, b + n);
    return *this;
  }
  Chunk& Path(const std::u16string& path)
  {
    for (char16_t c : path)
      D(c);
    return D(0.0);
  }
  Chunk& Fixed(double version, int32_t drum = 0, int32_t mode = 0, int32_t octave = 0, int32_t pattern = 0)
  {
    D(version);
    for (int i = 0; i < 12 * 24 * 128; ++i)
      D(i % 97 == 0 ? 1.0 : 0.0);
    I(3).I(drum).I(mode).I(octave).I(pattern);
    return D(0.8).D(0.2);
  }
  Chunk& Tail(int32_t state = 0, double pan = 0.5, double volume = 1.0, int32_t pitch = 0, double swing = 0.0,
              double length = 1.0)
  {
    return I(state).D(pan).D(volume).I(pitch).D(swing).D(length);
  }
  Chunk& Empty(int n)
  {
    for (int i = 0; i < n; ++i)
      Path(u"").D(0.0).Tail();
    return *this;
  }
  bool Write(const std::string& file) const
  {
    FILE* f = std::fopen(file.c_str(), "wb");
    if (!f)
      return false;
    const bool ok = std::fwrite(mBytes.data(), 1, mBytes.size(), f) == mBytes.size();
    return std::fclose(f) == 0 && ok;
  }

private:
  std::vector<uint8_t> mBytes;
};
} // namespace

int main(int argc, char** argv)
{
  if (argc != 2)
  {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  bool ok = true;

  ok &= Chunk().Fixed(3.0).Empty(12).Write(dir + "/default");

  Chunk mono;
  mono.Fixed(3.0, 4, 1, 1, 7).Path(u"/no/such/kick.wav").D(8.0).D(1.0);
  for (int i = 0; i < 8; ++i)
    mono.D(i / 8.0);
  mono.Tail(1, 0.2, 1.5, 7, 1.0, 0.5).Empty(11);
  ok &= mono.Write(dir + "/mono");

  Chunk stereo;
  stereo.Fixed(2.0, 11, 3, 0, 11).Empty(5).Path(u"C:\\k.wav").D(6.0).D(2.0);
  for (int i = 0; i < 6; ++i)
    stereo.D(i % 2 ? -0.5 : 0.5);
  stereo.Tail(3, 0.9, 0.1, -12, 0.0, 0.25).Empty(6);
  ok &= stereo.Write(dir + "/stereo");

  // Stored values far beyond any file's: a damaged byte in a sample's exponent makes such a value.
  Chunk loud;
  loud.Fixed(3.0, 0, 3).Path(u"").D(4.0).D(2.0).D(3.45e298).D(-1.7e308).D(6e37).D(-2e36);
  loud.Tail(0, 0.5, 2.0).Empty(11);
  ok &= loud.Write(dir + "/loud");

  ok &= Chunk().D(3.5).I(1).Write(dir + "/later-version");
  return ok ? 0 : 1;
}
