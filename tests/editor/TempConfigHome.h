#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

// Points XDG_CONFIG_HOME (and HOME) at a fresh temporary folder for the life of the object, so that
// the settings file lives there; the folder is removed afterwards and the variables restored.
class TempConfigHome
{
public:
  TempConfigHome()
  {
    std::string pattern = (std::filesystem::temp_directory_path() / "krb-editor-XXXXXX").string();
    mRoot = mkdtemp(pattern.data());
    mSavedXdg = Get("XDG_CONFIG_HOME");
    mSavedHome = Get("HOME");
    setenv("XDG_CONFIG_HOME", ConfigFolder().c_str(), 1);
    setenv("HOME", (mRoot / "home").c_str(), 1);
  }
  ~TempConfigHome()
  {
    Restore("XDG_CONFIG_HOME", mSavedXdg);
    Restore("HOME", mSavedHome);
    std::error_code ignored;
    std::filesystem::remove_all(mRoot, ignored);
  }
  TempConfigHome(const TempConfigHome&) = delete;
  TempConfigHome& operator=(const TempConfigHome&) = delete;

  const std::filesystem::path& Root() const { return mRoot; }
  std::filesystem::path ConfigFolder() const { return mRoot / "config"; }
  std::filesystem::path SettingsFolder() const { return ConfigFolder() / "Ombrix" / "Krellbinder"; }
  std::filesystem::path SettingsFile() const { return SettingsFolder() / "settings.json"; }

private:
  static std::optional<std::string> Get(const char* name)
  {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
  }
  static void Restore(const char* name, const std::optional<std::string>& value)
  {
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  }

  std::filesystem::path mRoot;
  std::optional<std::string> mSavedXdg;
  std::optional<std::string> mSavedHome;
};
