// holdname: keeps a named event open, so that a program's CreateMutexA of that name fails.
//   holdname <name> <held marker> <release marker>
// Creates the event, then <held marker>, and waits until <release marker> exists (at most
// five minutes) before it ends.
#include <windows.h>

namespace {

const DWORD kPollMs = 50;
const DWORD kLongestHoldMs = 300000;

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, argv[1]);
    if (!event)
        return 2;
    HANDLE held = CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE)
        return 2;
    CloseHandle(held);
    for (DWORD waited = 0; waited < kLongestHoldMs && !Exists(argv[3]); waited += kPollMs)
        Sleep(kPollMs);
    CloseHandle(event);
    return 0;
}
