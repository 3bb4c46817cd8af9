#pragma once

#include <string>

// The path through which a browse request hands the channel's current file to the sample dialog and
// receives the chosen file back (UTF-16). It is touched only on the editor's thread, so it has no lock.
extern std::u16string gSampleDialogPath;

// Shows the modal sample file chooser, opened in the folder of the file that gSampleDialogPath names.
// On OK the chosen file's path replaces gSampleDialogPath; a cancel or any failure leaves it as it was.
void ShowSampleOpenDialog();

// The folder in which the dialog opens for a path: the text before its last separator, the whole path
// when it has none, and the empty text (no start folder) when the path is empty or its last separator
// is its first character.
std::u16string SampleDialogStartFolder(const std::u16string& path, char16_t separator);
