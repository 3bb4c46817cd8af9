#pragma once

#include <filesystem>
#include <system_error>

// The platform's folder under which the plug-in keeps its settings (the "Ombrix" folder goes inside
// it). Returns an empty path and sets error when the platform has none to offer.
std::filesystem::path GetSettingsBaseFolder(std::error_code& error);
