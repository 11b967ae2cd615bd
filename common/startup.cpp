// Set-up both programs link in directly: the DLL search limited to the system folder,
// delayed imports loaded from there, and a terminate handler without the demangler.
#include "startup.h"

#include <windows.h>

#include <delayimp.h>

#include <cstdlib>
#include <exception>

namespace {

// The DLL by its full path in the system folder; LOAD_WITH_ALTERED_SEARCH_PATH makes
// the DLL's own imports come from that folder too, not from the program's.
HMODULE LoadSystemLibrary(const char* name)
{
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + lstrlenA(name) >= MAX_PATH)
        return nullptr;
    path[length] = '\\';
    lstrcpyA(path + length + 1, name);
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// The delay-load helper would load a delayed DLL (wininet.dll) with a plain LoadLibraryA,
// which searches the program's folder first wherever SetDefaultDllDirectories is missing.
// It takes the module this hook hands it instead.
FARPROC WINAPI LoadDelayedFromSystem(unsigned notification, PDelayLoadInfo info)
{
    if (notification == dliNotePreLoadLibrary)
        return reinterpret_cast<FARPROC>(LoadSystemLibrary(info->szDll));
    return nullptr;
}

} // namespace

// Declared extern "C" by <delayimp.h>. Linked as an object, not from a library: the
// linker meets the helper's reference to this name only inside the C run time, after
// our libraries have been searched, and would take the run time's empty hook instead.
PfnDliHook __pfnDliNotifyHook2 = LoadDelayedFromSystem;

void RestrictDllSearch()
{
    // Looked up rather than imported: Vista, and 7 without KB2533623, lack it, and a
    // missing import would keep the program from starting at all.
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    auto setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefaultDllDirectories && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    // There the program's folder stays in the search; the current folder at least goes.
    SetDllDirectoryA("");
}

// libstdc++'s own handler names the type of an uncaught exception on stderr, which pulls
// its demangler and a whole printf into the program: a quarter of its size. A GUI
// program has no stderr to print to; it ends the same way, through abort().
namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    std::abort();
}
} // namespace __gnu_cxx
