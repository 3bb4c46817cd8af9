#pragma once

#include <filesystem>

// The editor's scale, kept in one small text file shared by every instance on the machine:
//
//   {
//   \t"guiSize": "1.500000"
//   }

// The settings file's full path. Creates its two folders ("Ombrix" and "Ombrix/Krellbinder") when
// they are missing. Throws std::filesystem::filesystem_error when the base folder cannot be found or
// the folders cannot be created.
std::filesystem::path GetSettingsFilePath();

// Writes the scale, replacing the file's content. Never throws: when the file cannot be written
// nothing is written.
void SaveEditorSettings(double scale) noexcept;

// Reads the scale into *target. Never throws: without a file, or with a file that holds a value that
// cannot be read as a number, *target keeps the value it had.
void LoadEditorSettings(double* target) noexcept;
