// A wininet.dll as someone might leave it in a Downloads folder: loading it appends the
// loading program's path to planted-dll.loaded beside it. Its functions all fail.
#include <windows.h>

namespace {

constexpr char kMarkerName[] = "planted-dll.loaded";

void LeaveMarker(HMODULE self)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    // The module's name is spelt as the program asked for it (WININET.dll, wininet.dll).
    char* folderEnd = path + length;
    while (folderEnd > path && folderEnd[-1] != '\\')
        --folderEnd;
    if (folderEnd - path + sizeof kMarkerName > MAX_PATH)
        return;
    lstrcpyA(folderEnd, kMarkerName);
    char program[MAX_PATH];
    DWORD programLength = GetModuleFileNameA(nullptr, program, MAX_PATH);
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, program, programLength, &written, nullptr);
    WriteFile(file, "\r\n", 2, &written, nullptr);
    CloseHandle(file);
}

void* Refuse()
{
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        LeaveMarker(self);
    return TRUE;
}

// The functions quelbrin calls, under their exported names (the link drops the @N).
extern "C" {
__declspec(dllexport) void* WINAPI InternetOpenA(const char*, DWORD, const char*, const char*, DWORD)
{
    return Refuse();
}
__declspec(dllexport) void* WINAPI InternetOpenUrlA(void*, const char*, const char*, DWORD, DWORD, DWORD_PTR)
{
    return Refuse();
}
__declspec(dllexport) BOOL WINAPI InternetQueryDataAvailable(void*, DWORD*, DWORD, DWORD_PTR)
{
    return Refuse() != nullptr;
}
__declspec(dllexport) BOOL WINAPI InternetReadFile(void*, void*, DWORD, DWORD*)
{
    return Refuse() != nullptr;
}
__declspec(dllexport) BOOL WINAPI InternetCloseHandle(void*)
{
    return Refuse() != nullptr;
}
__declspec(dllexport) BOOL WINAPI HttpQueryInfoA(void*, DWORD, void*, DWORD*, DWORD*)
{
    return Refuse() != nullptr;
}
}
