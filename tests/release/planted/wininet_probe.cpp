// Calls InternetOpenA once, after limiting the DLL search to the system folder when asked
// ("restrict"). Built three times: importing wininet.dll at start, delayed, and delayed
// with the programs' delay-load hook. Prints whether it got a handle; exit code 0 with a
// handle, 1 without.
#include <windows.h>

#include <wininet.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "restrict") == 0) {
        // Through the default directories only: no delay-load hook in this program, so
        // the helper's own LoadLibraryA must follow them.
        if (!SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
            std::printf("SetDefaultDllDirectories failed: %lu\n", GetLastError());
            return 2;
        }
    }
    HINTERNET internet = InternetOpenA("probe", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    std::printf("InternetOpenA: %s\n", internet ? "handle" : "null");
    if (internet)
        InternetCloseHandle(internet);
    return internet ? 0 : 1;
}
