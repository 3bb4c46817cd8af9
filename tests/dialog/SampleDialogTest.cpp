#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "SampleDialog.h"

namespace fs = std::filesystem;

namespace
{
// Sets an environment variable for the life of the object and puts the old value back after.
class ScopedEnv
{
public:
  ScopedEnv(const char* name, const char* value)
    : mName(name)
  {
    if (const char* old = std::getenv(name))
      mOld = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv()
  {
    if (mOld)
      setenv(mName, mOld->c_str(), 1);
    else
      unsetenv(mName);
  }

private:
  const char* mName;
  std::optional<std::string> mOld;
};

class SampleDialogTest : public testing::Test
{
protected:
  void SetUp() override
  {
    char pattern[] = "/tmp/krb-dialog-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    mDir = pattern;
    mBin = mDir / "bin";
    mSamples = mDir / "Samples";
    fs::create_directories(mBin);
    fs::create_directories(mSamples);
    mLog = mDir / "args.bin";
    mPath.emplace("PATH", mBin.c_str());
    mDesktop.emplace("XDG_CURRENT_DESKTOP", nullptr);
    mLogEnv.emplace("KRB_FAKE_CHOOSER_LOG", mLog.c_str());
    gSampleDialogPath.clear();
  }

  void TearDown() override
  {
    mLogEnv.reset();
    mDesktop.reset();
    mPath.reset();
    std::error_code ec;
    fs::remove_all(mDir, ec);
  }

  void InstallChooser(const char* name) { fs::create_symlink(KRB_FAKE_CHOOSER, mBin / name); }

  // What the stand-in printed and how it ended, for the next run.
  void Answer(const char* answer, int status)
  {
    mAnswer.emplace("KRB_FAKE_CHOOSER_ANSWER", answer);
    mStatus.emplace("KRB_FAKE_CHOOSER_STATUS", std::to_string(status).c_str());
  }

  // The arguments that the stand-in received, its own name first; empty when it never ran.
  std::vector<std::string> ReceivedArguments() const
  {
    std::ifstream in(mLog, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> args;
    size_t start = 0;
    while (start < bytes.size())
    {
      const size_t end = bytes.find('\0', start);
      args.push_back(bytes.substr(start, end - start));
      start = end + 1;
    }
    return args;
  }

  static std::u16string U16(const std::string& utf8)
  {
    // Test paths are ASCII apart from the explicit cases below.
    return std::u16string(utf8.begin(), utf8.end());
  }

  fs::path mDir, mBin, mSamples, mLog;
  std::optional<ScopedEnv> mPath, mDesktop, mLogEnv, mAnswer, mStatus;
};

const std::vector<std::string> kZenityFilters = {
  "--file-filter=Sound (*.wav) | *.wav",
  "--file-filter=Word Document (*.doc) | *.doc",
  "--file-filter=Web Page (*.htm; *.html) | *.htm *.html",
  "--file-filter=Text Document (*.txt) | *.txt",
  "--file-filter=All Documents (*.*) | *",
};
} // namespace

TEST_F(SampleDialogTest, ZenityOpensInTheFolderOfTheCurrentFileAndReturnsTheChosenFile)
{
  InstallChooser("zenity");
  const std::string chosen = (mSamples / "snare.wav").string();
  Answer((chosen + "\n").c_str(), 0);
  gSampleDialogPath = U16((mSamples / "kick.wav").string());

  ShowSampleOpenDialog();

  EXPECT_EQ(gSampleDialogPath, U16(chosen));
  std::vector<std::string> expected = {"zenity", "--file-selection", "--modal",
                                       "--filename=" + mSamples.string() + "/"};
  expected.insert(expected.end(), kZenityFilters.begin(), kZenityFilters.end());
  EXPECT_EQ(ReceivedArguments(), expected);
}

TEST_F(SampleDialogTest, KdialogGetsTheStartFolderAndTheFiveFileTypesWithSoundFirst)
{
  InstallChooser("kdialog");
  const std::string chosen = (mSamples / "hat.aif").string();
  Answer((chosen + "\n").c_str(), 0);
  gSampleDialogPath = U16((mSamples / "kick.wav").string());

  ShowSampleOpenDialog();

  EXPECT_EQ(gSampleDialogPath, U16(chosen));
  const std::vector<std::string> expected = {
    "kdialog", "--getopenfilename", mSamples.string(),
    "*.wav|Sound (*.wav)\n*.doc|Word Document (*.doc)\n*.htm *.html|Web Page (*.htm; *.html)\n"
    "*.txt|Text Document (*.txt)\n*|All Documents (*.*)"};
  EXPECT_EQ(ReceivedArguments(), expected);
}

TEST_F(SampleDialogTest, CancelLeavesThePathAsTheCallerPutIt)
{
  InstallChooser("zenity");
  Answer("", 1);
  const std::u16string current = U16((mSamples / "kick.wav").string());
  gSampleDialogPath = current;

  ShowSampleOpenDialog();

  EXPECT_EQ(gSampleDialogPath, current);
  EXPECT_FALSE(ReceivedArguments().empty());
}

TEST_F(SampleDialogTest, NoChooserInstalledFailsLikeACancel)
{
  const std::u16string current = U16((mSamples / "kick.wav").string());
  gSampleDialogPath = current;

  ShowSampleOpenDialog();

  EXPECT_EQ(gSampleDialogPath, current);
  EXPECT_TRUE(ReceivedArguments().empty());
}

TEST_F(SampleDialogTest, AnswersThatAreNoSinglePathLeaveThePathUnchanged)
{
  struct Case
  {
    const char* answer;
    int status;
  };
  const Case cases[] = {
    {"", 0},                         // OK without a path
    {"\n", 0},                       // an empty line
    {"/tmp/a.wav\n", 5},             // the chooser failed after printing
    {"/tmp/a.wav\n/tmp/b.wav\n", 0}, // more than one path
    {"/tmp/\xff\xfe.wav\n", 0},      // not UTF-8
  };
  InstallChooser("zenity");
  const std::u16string current = u"/somewhere/kick.wav";
  for (const Case& c : cases)
  {
    Answer(c.answer, c.status);
    gSampleDialogPath = current;
    ShowSampleOpenDialog();
    EXPECT_EQ(gSampleDialogPath, current) << "answer " << testing::PrintToString(std::string(c.answer));
  }
}

TEST_F(SampleDialogTest, ChosenPathOutsideAsciiComesBackAsUtf16)
{
  InstallChooser("zenity");
  Answer("/tmp/Tr\xC3\xA4ume/\xE5\xA4\xAA\xE9\xBC\x93 \xF0\x9F\xA5\x81.wav\n", 0); // Träume/太鼓 🥁.wav

  ShowSampleOpenDialog();

  EXPECT_EQ(gSampleDialogPath, u"/tmp/Tr\u00E4ume/\u592A\u9F13 \U0001F941.wav");
}

TEST_F(SampleDialogTest, StartFolderIsPassedOnlyWhenItIsAnExistingFolder)
{
  struct Case
  {
    std::u16string path;
    bool passesFolder;
  };
  InstallChooser("zenity");
  const std::u16string samples = U16(mSamples.string());
  const Case cases[] = {
    {u"", false},                         // no current file
    {samples + u"/kick.wav", true},       // a file in an existing folder
    {samples + u"/", true},               // a path that ends in the separator: the same folder
    {samples + u"/Gone/kick.wav", false}, // a folder that has been deleted
    {u"kick.wav", false},                 // a bare file name is taken whole as the folder
  };
  for (const Case& c : cases)
  {
    Answer("", 1);
    fs::remove(mLog);
    gSampleDialogPath = c.path;
    ShowSampleOpenDialog();
    const std::vector<std::string> args = ReceivedArguments();
    ASSERT_GE(args.size(), 3u);
    const bool passed = args.size() > 3 && args[3].rfind("--filename=", 0) == 0;
    EXPECT_EQ(passed, c.passesFolder) << testing::PrintToString(std::string(c.path.begin(), c.path.end()));
    if (passed)
    {
      EXPECT_EQ(args[3], "--filename=" + mSamples.string() + "/");
    }
  }
}

TEST_F(SampleDialogTest, KdeDesktopPrefersKdialogWhenBothAreInstalled)
{
  InstallChooser("zenity");
  InstallChooser("kdialog");
  Answer("", 1);
  {
    ScopedEnv desktop("XDG_CURRENT_DESKTOP", "KDE");
    ShowSampleOpenDialog();
    ASSERT_FALSE(ReceivedArguments().empty());
    EXPECT_EQ(ReceivedArguments()[0], "kdialog");
  }
  ShowSampleOpenDialog();
  ASSERT_FALSE(ReceivedArguments().empty());
  EXPECT_EQ(ReceivedArguments()[0], "zenity");
}

TEST(SampleDialogStartFolder, FollowsTheLastSeparator)
{
  struct Case
  {
    std::u16string path;
    std::u16string folder;
  };
  const Case cases[] = {
    {u"C:\\Samples\\kick.wav", u"C:\\Samples"},
    {u"C:\\Samples\\", u"C:\\Samples"},
    {u"kick.wav", u"kick.wav"},
    {u"\\kick.wav", u""},
    {u"", u""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SampleDialogStartFolder(c.path, u'\\'), c.folder);
  EXPECT_EQ(SampleDialogStartFolder(u"/home/me/kick.wav", u'/'), u"/home/me");
}
