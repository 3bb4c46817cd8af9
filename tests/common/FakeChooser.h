#pragma once

// The stand-in sample chooser (tests/dialog/FakeChooser.cpp) on PATH in place of zenity (POSIX). The
// test's build gives its program as KRB_FAKE_CHOOSER.

#include <filesystem>
#include <optional>
#include <string>

#include "ScopedEnv.h"
#include "TempFolder.h"

namespace krbtest
{
// Puts the stand-in chooser on PATH as zenity, alone, answering with `answer` and `status`.
class FakeChooser
{
public:
  explicit FakeChooser(const TempFolder& folder)
    : mBin(folder / "bin")
    , mLog(folder / "chooser-args")
    , mPath("PATH", mBin.string())
    , mDesktop("XDG_CURRENT_DESKTOP", std::nullopt)
    , mLogEnv("KRB_FAKE_CHOOSER_LOG", mLog.string())
  {
    std::filesystem::create_directories(mBin);
    std::filesystem::create_symlink(KRB_FAKE_CHOOSER, mBin / "zenity");
  }

  void Answer(const std::string& answer, int status)
  {
    mAnswer.emplace("KRB_FAKE_CHOOSER_ANSWER", answer);
    mStatus.emplace("KRB_FAKE_CHOOSER_STATUS", std::to_string(status));
  }
  // Chooses a file: its path and a line end, status 0.
  void Choose(const std::filesystem::path& file) { Answer(file.string() + "\n", 0); }
  void Cancel() { Answer("", 1); }

  bool Ran() const { return std::filesystem::exists(mLog); }
  void Forget() const
  {
    std::error_code ec;
    std::filesystem::remove(mLog, ec);
  }

private:
  std::filesystem::path mBin, mLog;
  ScopedEnv mPath, mDesktop, mLogEnv;
  std::optional<ScopedEnv> mAnswer, mStatus;
};
} // namespace krbtest
