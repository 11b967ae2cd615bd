// holdopen: keeps a file open the way another program might, until the bench lets it go.
//   holdopen <file> none|read <held marker> <release marker>
// Opens <file> for reading with share mode 0 (none) or FILE_SHARE_READ (read), so that
// nobody can delete or rename it meanwhile; then creates <held marker> and waits until
// <release marker> exists (at most five minutes) before it closes the file and ends.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

const DWORD kPollMs = 50;
const DWORD kLongestHoldMs = 300000;

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5 || (std::strcmp(argv[2], "none") && std::strcmp(argv[2], "read"))) {
        std::fprintf(stderr, "usage: holdopen <file> none|read <held marker> <release marker>\n");
        return 2;
    }
    const DWORD share = std::strcmp(argv[2], "read") ? 0 : FILE_SHARE_READ;
    HANDLE file = CreateFileA(argv[1], GENERIC_READ, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "holdopen: cannot open %s (error %lu)\n", argv[1],
                     static_cast<unsigned long>(GetLastError()));
        return 2;
    }
    HANDLE held = CreateFileA(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return 2;
    }
    CloseHandle(held);
    for (DWORD waited = 0; waited < kLongestHoldMs && !Exists(argv[4]); waited += kPollMs)
        Sleep(kPollMs);
    CloseHandle(file);
    return 0;
}
