#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "EditorSettings.h"

namespace
{
namespace fs = std::filesystem;

// The machine's one settings file: put aside for the test and put back afterwards.
class EditorSettingsWinTest : public ::testing::Test
{
protected:
  EditorSettingsWinTest()
  {
    wchar_t folder[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, folder, CSIDL_COMMON_APPDATA, FALSE);
    mFile = fs::path(folder) / L"Ombrix" / L"Krellbinder" / L"settings.json";
    mAside = mFile;
    mAside += L".before-test";
    std::error_code ignored;
    if (fs::exists(mFile, ignored))
      fs::rename(mFile, mAside, ignored);
  }
  ~EditorSettingsWinTest() override
  {
    std::error_code ignored;
    fs::remove(mFile, ignored);
    if (fs::exists(mAside, ignored))
      fs::rename(mAside, mFile, ignored);
  }
  std::string Bytes() const
  {
    std::ifstream file(mFile, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }

  fs::path mFile;
  fs::path mAside;
};

TEST_F(EditorSettingsWinTest, FileLivesInTheCommonApplicationDataFolder)
{
  EXPECT_EQ(GetSettingsFilePath(), mFile);
  EXPECT_TRUE(fs::is_directory(mFile.parent_path()));
}

TEST_F(EditorSettingsWinTest, ScaleOneIsTheTwentyEightBytesWithCrLf)
{
  SaveEditorSettings(1.0);
  const unsigned char kExpected[28] = {0x7B, 0x0D, 0x0A, 0x09, 0x22, 0x67, 0x75, 0x69, 0x53, 0x69,
                                       0x7A, 0x65, 0x22, 0x3A, 0x20, 0x22, 0x31, 0x2E, 0x30, 0x30,
                                       0x30, 0x30, 0x30, 0x30, 0x22, 0x0D, 0x0A, 0x7D};
  EXPECT_EQ(Bytes(), std::string(reinterpret_cast<const char*>(kExpected), sizeof(kExpected)));
}

TEST_F(EditorSettingsWinTest, ScaleReadsBack)
{
  SaveEditorSettings(1.25);
  double scale = 1.0;
  LoadEditorSettings(&scale);
  EXPECT_DOUBLE_EQ(scale, 1.25);
}
} // namespace
