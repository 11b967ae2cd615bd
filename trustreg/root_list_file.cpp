// Reads certdata.txt from the program directory into trust entries.
#include "stages.h"

#include "../common/bytes.h"
#include "../common/win32.h"
#include "files.h"
#include "texts.h"

#include <new>

StageResult ParseRootList(const std::string& programDirectory, TrustEntries& entries)
{
    std::string path = FormatText("%s\\certdata.txt", {programDirectory});
    if (!PathExists(path)) {
        ShowBox(kTitle, kTextRootListNotFound, MB_OK | MB_ICONERROR);
        return StageResult::Stopped;
    }
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        ShowBox(kTitle, kTextRootListReadFailed, MB_OK | MB_ICONERROR);
        return StageResult::Stopped;
    }
    // A list too large for this 32-bit process to index is not one Mozilla publishes.
    try {
        entries = GatherTrustEntries(bytes);
    } catch (const std::bad_alloc&) {
        entries = TrustEntries();
    }
    if (entries.trusted.empty()) {
        ShowBox(kTitle, kTextRootListAnalysisFailed, MB_OK | MB_ICONERROR);
        return StageResult::Stopped;
    }
    return StageResult::GoOn;
}
