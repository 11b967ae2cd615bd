// Writes the trust entries into trustlist.txt in the home directory, after asking.
#include "stages.h"

#include "../common/bytes.h"
#include "../common/win32.h"
#include "clock.h"
#include "files.h"
#include "texts.h"
#include "trust_list.h"

#include <shlobj.h>

#include <new>

namespace {

// The template text up to its NUL; the resource's stored size is not needed.
bool LoadTemplate(std::string& text)
{
    HRSRC resource = FindResourceA(nullptr, "TRUSTLIST", "TEXT");
    HGLOBAL loaded = resource ? LoadResource(nullptr, resource) : nullptr;
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!bytes)
        return false;
    text = bytes;
    return true;
}

bool CreateFromTemplate(const std::string& homeDirectory, const std::string& path)
{
    // An existing folder is no error, and a folder that cannot be made shows up
    // as a failed save below.
    SHCreateDirectoryExA(nullptr, homeDirectory.c_str(), nullptr);
    std::string text;
    return LoadTemplate(text) && ReplaceFileContent(path, JoinLines(SplitLines(text)));
}

bool Confirm(const std::string& previousStamp, const std::string& homeDirectory)
{
    if (previousStamp.empty())
        return ShowBox(kTitle, FormatText(kTextFirstRegistration, {homeDirectory}),
                       MB_OKCANCEL | MB_ICONINFORMATION) == IDOK;
    std::string_view shown = CutToField(previousStamp, kUpdateStampFieldSize);
    return ShowBox(kTitle, FormatText(kTextReRegistration, {shown, homeDirectory}), MB_YESNO | MB_ICONINFORMATION) ==
           IDYES;
}

StageResult Stop(const char* text)
{
    ShowBox(kTitle, text, MB_OK | MB_ICONERROR);
    return StageResult::Stopped;
}

} // namespace

StageResult WriteTrustList(const std::string& homeDirectory, const TrustEntries& entries)
{
    std::string path = FormatText("%s\\trustlist.txt", {homeDirectory});
    if (!PathExists(path) && !CreateFromTemplate(homeDirectory, path))
        return Stop(kTextTrustListCreateFailed);
    if (!PathExists(path))
        return Stop(kTextTrustListNotFound);

    std::string bytes;
    std::vector<std::string> lines;
    std::string previousStamp;
    try {
        if (!ReadWholeFile(path, bytes))
            return Stop(kTextTrustListReadFailed);
        lines = SplitLines(bytes);
        previousStamp = ClearManagedBlock(lines);
    } catch (const std::bad_alloc&) {
        return Stop(kTextTrustListReadFailed);
    }
    if (!Confirm(previousStamp, homeDirectory))
        return StageResult::Stopped;

    bool saved;
    try {
        std::string text = BuildTrustListText(lines, DateText(CurrentLocalTime()), entries);
        saved = ReplaceFileContent(path, text);
    } catch (const std::bad_alloc&) {
        saved = false;
    }
    if (!saved)
        return Stop(kTextTrustListUpdateFailed);
    ShowBox(kTitle, kTextTrustListUpdated, MB_OK | MB_ICONINFORMATION);
    return StageResult::GoOn;
}
