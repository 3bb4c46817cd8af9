#pragma once

// A settings folder of the test's own for the editor settings file (POSIX).

#include <filesystem>

#include "ScopedEnv.h"
#include "TempFolder.h"

namespace krbtest
{
// Points XDG_CONFIG_HOME (and HOME) into a fresh temporary folder for the life of the object, so that
// the settings file lives there; afterwards the variables are restored and the folder removed.
class TempConfigHome
{
public:
  TempConfigHome()
    : mXdgConfigHome("XDG_CONFIG_HOME", ConfigFolder().string())
    , mHome("HOME", (Root() / "home").string())
  {
  }

  const std::filesystem::path& Root() const { return mRoot.Path(); }
  std::filesystem::path ConfigFolder() const { return Root() / "config"; }
  std::filesystem::path SettingsFolder() const { return ConfigFolder() / "Ombrix" / "Krellbinder"; }
  std::filesystem::path SettingsFile() const { return SettingsFolder() / "settings.json"; }

private:
  TempFolder mRoot;
  ScopedEnv mXdgConfigHome;
  ScopedEnv mHome;
};
} // namespace krbtest
