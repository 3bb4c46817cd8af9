// The editor's bitmaps: every file with its exact pixel size and vertical frame layout, frames that
// can be told apart, and art that matches what tools/artgen draws.
#include <gtest/gtest.h>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "EditorSize.h"

namespace
{

namespace fs = std::filesystem;

struct BitmapCase
{
  std::string file;
  int width;
  int frameHeight;
  int frames;
};

void PrintTo(const BitmapCase& c, std::ostream* os)
{
  *os << c.file << " (" << c.width << " x " << c.frameHeight << ", " << c.frames << " frames)";
}

std::vector<BitmapCase> AllBitmaps()
{
  std::vector<BitmapCase> cases = {
    {"Background.png", kEditorWidth, kEditorHeight, 1},
    {"btnLed.png", 51, 11, 2},
    {"btnSeq.png", 52, 40, 2},
    {"btnFolder.png", 21, 18, 2},
    {"btnPrevSample.png", 11, 10, 2},
    {"btnNextSample.png", 11, 10, 2},
    {"btnStop.png", 52, 40, 2},
    {"btnRun.png", 52, 40, 2},
    {"btnHSync.png", 52, 40, 2},
    {"btnMidi.png", 52, 40, 2},
    {"btnPtnOct2.png", 52, 19, 2},
    {"btnPtnOct3.png", 52, 19, 2},
    {"btnSolo.png", 26, 21, 2},
    {"btnMute.png", 26, 21, 2},
    {"btnPlayPreview.png", 11, 11, 2},
    {"btnSwing.png", 45, 18, 2},
    {"KrellbinderMetal.png", 30, 30, 127},
  };
  for (int i = 1; i <= 12; ++i)
  {
    cases.push_back({"btnSel" + std::to_string(i) + ".png", 52, 19, 2});
    cases.push_back({"btnPtn" + std::to_string(i) + ".png", 52, 19, 2});
  }
  return cases;
}

const fs::path kResources = KRB_RESOURCES_DIR;

std::vector<unsigned char> ReadFile(const fs::path& path)
{
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t BigEndian32(const unsigned char* p)
{
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

struct PngHeader
{
  bool valid = false;
  uint32_t width = 0, height = 0;
  int bitDepth = 0, colourType = 0, interlace = 0;
};

// The signature and the IHDR chunk, which a PNG file must start with.
PngHeader ReadPngHeader(const std::vector<unsigned char>& bytes)
{
  static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  PngHeader h;
  if (bytes.size() < 33 || !std::equal(kSignature, kSignature + 8, bytes.begin()))
    return h;
  if (BigEndian32(&bytes[8]) != 13 || std::string(bytes.begin() + 12, bytes.begin() + 16) != "IHDR")
    return h;
  h.width = BigEndian32(&bytes[16]);
  h.height = BigEndian32(&bytes[20]);
  h.bitDepth = bytes[24];
  h.colourType = bytes[25];
  h.interlace = bytes[28];
  h.valid = true;
  return h;
}

struct Image
{
  int width = 0, height = 0;
  std::vector<unsigned char> rgba;
};

Image Decode(const fs::path& path)
{
  Image image;
  const std::vector<unsigned char> bytes = ReadFile(path);
  int channels = 0;
  unsigned char* pixels =
    stbi_load_from_memory(bytes.data(), int(bytes.size()), &image.width, &image.height, &channels, 4);
  if (pixels)
  {
    image.rgba.assign(pixels, pixels + size_t(image.width) * image.height * 4);
    stbi_image_free(pixels);
  }
  return image;
}

// Sum of absolute channel differences between two frames of a vertical strip.
long FrameDifference(const Image& image, int frameHeight, int a, int b)
{
  const size_t frameBytes = size_t(image.width) * frameHeight * 4;
  long sum = 0;
  for (size_t i = 0; i < frameBytes; ++i)
  {
    sum += std::abs(int(image.rgba[a * frameBytes + i]) - int(image.rgba[b * frameBytes + i]));
  }
  return sum;
}

class ArtTest : public ::testing::TestWithParam<BitmapCase>
{};

TEST_P(ArtTest, HeaderHasTheExactSizeOfAllFramesStackedVertically)
{
  const BitmapCase& c = GetParam();
  const PngHeader h = ReadPngHeader(ReadFile(kResources / c.file));
  ASSERT_TRUE(h.valid) << c.file << " is missing or not a PNG file";
  EXPECT_EQ(h.width, uint32_t(c.width)) << c.file;
  EXPECT_EQ(h.height, uint32_t(c.frameHeight * c.frames)) << c.file;
  EXPECT_EQ(h.bitDepth, 8) << c.file;
  EXPECT_TRUE(h.colourType == 2 || h.colourType == 6) << c.file << ": RGB or RGBA expected";
  EXPECT_EQ(h.interlace, 0) << c.file;
}

TEST_P(ArtTest, DecodesAndEveryFrameDiffersFromTheNext)
{
  const BitmapCase& c = GetParam();
  const Image image = Decode(kResources / c.file);
  ASSERT_FALSE(image.rgba.empty()) << c.file << " does not decode";
  ASSERT_EQ(image.width, c.width);
  ASSERT_EQ(image.height, c.frameHeight * c.frames);
  // Off and on must be clearly apart; neighbouring knob positions need only differ.
  const long minimum = c.frames == 2 ? 20L * 255 : 1;
  for (int f = 0; f + 1 < c.frames; ++f)
  {
    EXPECT_GE(FrameDifference(image, c.frameHeight, f, f + 1), minimum) << c.file << " frames " << f << ", " << f + 1;
  }
}

INSTANTIATE_TEST_SUITE_P(Bitmaps, ArtTest, ::testing::ValuesIn(AllBitmaps()),
                         [](const ::testing::TestParamInfo<BitmapCase>& info) {
                           return info.param.file.substr(0, info.param.file.find('.'));
                         });

TEST(ArtTest, BackgroundIsOpaque)
{
  const Image image = Decode(kResources / "Background.png");
  ASSERT_FALSE(image.rgba.empty());
  for (size_t i = 3; i < image.rgba.size(); i += 4)
    ASSERT_EQ(image.rgba[i], 255) << "pixel " << i / 4;
}

TEST(ArtTest, KnobPointerSweepsFromMinimumToMaximum)
{
  // The first and the last frame point to opposite ends of the travel; the middle frame points up,
  // so its top-centre pixels differ from both ends.
  const Image image = Decode(kResources / "KrellbinderMetal.png");
  ASSERT_FALSE(image.rgba.empty());
  EXPECT_GT(FrameDifference(image, 30, 0, 126), 20L * 255);
  EXPECT_GT(FrameDifference(image, 30, 0, 63), 20L * 255);
  EXPECT_GT(FrameDifference(image, 30, 63, 126), 20L * 255);
}

TEST(ArtTest, FontIsATrueTypeRobotoRegular)
{
  const std::vector<unsigned char> bytes = ReadFile(kResources / "Roboto-Regular.ttf");
  ASSERT_GT(bytes.size(), 1000u);
  EXPECT_EQ(BigEndian32(bytes.data()), 0x00010000u) << "TrueType outlines expected";
  const std::string text(bytes.begin(), bytes.end());
  // The name table holds the family and style in UTF-16 big-endian.
  const std::string regular("\0R\0o\0b\0o\0t\0o\0-\0R\0e\0g\0u\0l\0a\0r", 26);
  EXPECT_NE(text.find(regular), std::string::npos);
}

#ifdef KRB_ARTGEN_PATH
// The committed files are exactly what the generator draws, so a change to the generator without
// regenerating (scripts/make-art.sh) is caught, and the generator's output is reproducible.
TEST(ArtTest, GeneratorReproducesTheCommittedBitmaps)
{
  const fs::path fonts = "/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF";
  if (!fs::exists(fonts / "Roboto-Regular.ttf"))
    GTEST_SKIP() << "fonts-roboto is not installed";
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const fs::path out = fs::temp_directory_path() / ("krb-art-" + std::to_string(stamp));
  fs::create_directories(out);
  const std::string command =
    std::string("\"") + KRB_ARTGEN_PATH + "\" --out \"" + out.string() + "\" --fonts \"" + fonts.string() + "\"";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  for (const BitmapCase& c : AllBitmaps())
  {
    const Image committed = Decode(kResources / c.file);
    const Image drawn = Decode(out / c.file);
    ASSERT_FALSE(drawn.rgba.empty()) << c.file;
    EXPECT_TRUE(committed.rgba == drawn.rgba)
      << c.file << " differs from the generator's output: run scripts/make-art.sh";
  }
  fs::remove_all(out);
}
#endif

} // namespace
