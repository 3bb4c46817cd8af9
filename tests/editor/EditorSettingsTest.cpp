#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "EditorSettings.h"
#include "TempConfigHome.h"

namespace
{
namespace fs = std::filesystem;

// The file as written on this platform (text mode: CR LF on Windows).
#ifdef _WIN32
constexpr const char* kEol = "\r\n";
#else
constexpr const char* kEol = "\n";
#endif

std::string ReadBytes(const fs::path& path)
{
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const std::string& bytes)
{
  fs::create_directories(path.parent_path());
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << bytes;
}

std::string Written(const std::string& value)
{
  return std::string("{") + kEol + "\t\"guiSize\": \"" + value + "\"" + kEol + "}";
}

class EditorSettingsTest : public ::testing::Test
{
protected:
  krbtest::TempConfigHome mHome;
};

TEST_F(EditorSettingsTest, ScaleOneIsWrittenByteForByte)
{
  SaveEditorSettings(1.0);
  const std::string bytes = ReadBytes(mHome.SettingsFile());
  const std::vector<unsigned char> expectedLf = {0x7B, 0x0A, 0x09, 0x22, 0x67, 0x75, 0x69, 0x53, 0x69,
                                                 0x7A, 0x65, 0x22, 0x3A, 0x20, 0x22, 0x31, 0x2E, 0x30,
                                                 0x30, 0x30, 0x30, 0x30, 0x30, 0x22, 0x0A, 0x7D};
  std::string expected;
  for (unsigned char byte : expectedLf)
    expected += byte == 0x0A ? std::string(kEol) : std::string(1, static_cast<char>(byte));
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(bytes.size(), std::string(kEol).size() == 2 ? 28u : 26u);
}

TEST_F(EditorSettingsTest, ValueTextHasSixDecimals)
{
  struct FormatCase
  {
    double scale;
    const char* text;
  };
  const FormatCase kCases[] = {{1.5, "1.500000"}, {1.25, "1.250000"},  {0.5, "0.500000"},
                               {4.0, "4.000000"}, {-2.0, "-2.000000"}, {1e-9, "0.000000"}};
  for (const FormatCase& c : kCases)
  {
    SaveEditorSettings(c.scale);
    EXPECT_EQ(ReadBytes(mHome.SettingsFile()), Written(c.text)) << c.scale;
  }
}

TEST_F(EditorSettingsTest, FirstUseCreatesTheFoldersAndKeepsTheScale)
{
  ASSERT_FALSE(fs::exists(mHome.ConfigFolder()));
  double scale = 1.0;
  LoadEditorSettings(&scale);
  EXPECT_DOUBLE_EQ(scale, 1.0);
  EXPECT_TRUE(fs::is_directory(mHome.SettingsFolder()));
  EXPECT_FALSE(fs::exists(mHome.SettingsFile()));

  SaveEditorSettings(scale);
  EXPECT_EQ(ReadBytes(mHome.SettingsFile()), Written("1.000000"));
}

TEST_F(EditorSettingsTest, WrittenScaleReadsBack)
{
  SaveEditorSettings(1.25);
  double scale = 1.0;
  LoadEditorSettings(&scale);
  EXPECT_DOUBLE_EQ(scale, 1.25);
}

TEST_F(EditorSettingsTest, SaveReplacesEarlierContent)
{
  WriteBytes(mHome.SettingsFile(), std::string(200, 'x'));
  SaveEditorSettings(2.0);
  EXPECT_EQ(ReadBytes(mHome.SettingsFile()), Written("2.000000"));
}

// Every case starts from the scale 7.0, so 7.0 means "left as it was".
struct ParseCase
{
  const char* name;
  const char* content;
  double expected;
};

const ParseCase kParseCases[] = {
  {"written form, CR LF", "{\r\n\t\"guiSize\": \"1.500000\"\r\n}", 1.5},
  {"written form, LF", "{\n\t\"guiSize\": \"1.500000\"\n}", 1.5},
  {"last line without line end", "\t\"guiSize\": \"2.000000\"", 2.0},
  {"key twice: the later line wins", "{\n\t\"guiSize\": \"1.500000\"\n\t\"guiSize\": \"3.000000\"\n}", 3.0},
  {"key inside a longer word", "{\n\t\"guiSizeLarge\": \"2.500000\"\n}", 2.5},
  {"blank before the digits", "{\n\t\"guiSize\": \" 1.750000\"\n}", 1.75},
  {"letters after the digits", "{\n\t\"guiSize\": \"1.5px\"\n}", 1.5},
  {"number without its quotes", "{\n\t\"guiSize\": 1.5\n}", 0.5},
  {"number without its quotes, CR LF", "{\r\n\t\"guiSize\": 1.5\r\n}", 0.5},
  {"no colon: the cut starts at 2", "guiSize \"12.5\"", 0.5},
  {"key in another case does not count", "{\n\t\"GUISIZE\": \"2.000000\"\n}", 7.0},
  {"only short lines", "{\n}\n{}\n", 7.0},
  {"empty file", "", 7.0},
  {"value that is not a number", "{\n\t\"guiSize\": \"large\"\n}", 7.0},
  {"empty value", "{\n\t\"guiSize\": \"\"\n}", 7.0},
  {"cut past the end of the line", "\tguiSize:", 7.0},
  {"number out of range", "{\n\t\"guiSize\": \"1e999\"\n}", 7.0},
  {"not a finite number", "{\n\t\"guiSize\": \"nan\"\n}", 7.0},
  {"damaged line after a good one keeps the old scale", "{\n\t\"guiSize\": \"1.500000\"\n\t\"guiSize\": \"oops\"\n}",
   7.0},
};

class EditorSettingsParseTest : public EditorSettingsTest, public ::testing::WithParamInterface<ParseCase>
{};

TEST_P(EditorSettingsParseTest, ReadsTheScale)
{
  const ParseCase& c = GetParam();
  WriteBytes(mHome.SettingsFile(), c.content);
  double scale = 7.0;
  LoadEditorSettings(&scale);
  EXPECT_DOUBLE_EQ(scale, c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Files, EditorSettingsParseTest, ::testing::ValuesIn(kParseCases),
                         [](const ::testing::TestParamInfo<ParseCase>& info) {
                           return "Case" + std::to_string(info.index);
                         });

TEST_F(EditorSettingsTest, MissingFileLeavesTheScale)
{
  double scale = 1.5;
  LoadEditorSettings(&scale);
  EXPECT_DOUBLE_EQ(scale, 1.5);
}

TEST_F(EditorSettingsTest, FolderThatCannotBeCreatedIsAbsorbed)
{
  // A plain file where the settings folder should go.
  WriteBytes(mHome.ConfigFolder() / "Ombrix", "not a folder");
  EXPECT_THROW(GetSettingsFilePath(), fs::filesystem_error);

  EXPECT_NO_THROW(SaveEditorSettings(2.0));
  double scale = 1.25;
  EXPECT_NO_THROW(LoadEditorSettings(&scale));
  EXPECT_DOUBLE_EQ(scale, 1.25);
  EXPECT_EQ(ReadBytes(mHome.ConfigFolder() / "Ombrix"), "not a folder");
}

TEST_F(EditorSettingsTest, FileThatCannotBeOpenedIsAbsorbed)
{
  // A folder where the file should go: it opens neither for writing nor for reading lines.
  fs::create_directories(mHome.SettingsFile());
  EXPECT_NO_THROW(SaveEditorSettings(2.0));
  double scale = 1.25;
  LoadEditorSettings(&scale);
  EXPECT_DOUBLE_EQ(scale, 1.25);
  EXPECT_TRUE(fs::is_directory(mHome.SettingsFile()));
}

TEST_F(EditorSettingsTest, PathFollowsTheConfigFolder)
{
  EXPECT_EQ(GetSettingsFilePath(), mHome.SettingsFile());

  // Without XDG_CONFIG_HOME (or with a relative one, which does not count) the file goes to ~/.config.
  const fs::path underHome = mHome.Root() / "home" / ".config" / "Ombrix" / "Krellbinder" / "settings.json";
  setenv("XDG_CONFIG_HOME", "relative/config", 1);
  EXPECT_EQ(GetSettingsFilePath(), underHome);
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(GetSettingsFilePath(), underHome);
  EXPECT_TRUE(fs::is_directory(underHome.parent_path()));
}
} // namespace
