// What both programs do before anything else: keep DLLs out of their own folder.
#pragma once

// Limits the search for every DLL loaded from now on to the system folder. The programs
// are run from Downloads and the like, where anyone may have left a DLL of a system name;
// WinMain calls this first, before anything loads a DLL that is not a KnownDLL.
void RestrictDllSearch();
