#pragma once

#include <string>
#include <vector>

// Lists a folder for the sample-stepping buttons: every entry except "." and "..", files of every
// type and subfolders alike, each as its full path (the folder, the platform's separator, the
// entry's name). On Windows the entries come in the system's own listing order; elsewhere they are
// sorted by the bytes of their UTF-8 names, so that the buttons walk a folder in a stable order.
// Returns false, with `entries` unspecified, when the folder cannot be listed or the listing fails
// part-way.
bool ListFolderEntries(const std::u16string& folder, char16_t separator, std::vector<std::u16string>& entries);
