// The shell's folder dialog, whose OK button is enabled only for folders that hold a
// required file or folder.
#pragma once

#include <windows.h>

// Runs the dialog. `folder` (at least 260 bytes) holds the initial selection on entry
// and the chosen folder, without trailing backslash, when true is returned; false on
// cancel or a choice without file-system path, `folder` then unchanged. A `caption`
// longer than 259 bytes is cut to fit its buffer; a `requiredFile` that does not fit
// its buffer is never found, so OK stays disabled.
bool ChooseFolder(char* folder, const char* title, const char* caption, const char* requiredFile, HWND owner);

// The dialog's notification callback (BFFCALLBACK); always returns 0.
int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM parameter, LPARAM data);
