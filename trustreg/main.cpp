// quelbrin: fills gpg-agent's trustlist.txt from Mozilla's root list, then reloads gpg-agent.
#include "stages.h"

#include "../common/bytes.h"
#include "../common/startup.h"
#include "../common/texts.h"
#include "../common/win32.h"
#include "texts.h"

#include <cstdlib>
#include <new>

namespace {

constexpr char kMutexName[] = "TolviqueByOrvak";

// Exactly one argument, "-rel" in any letter case, asks for a reload only.
bool IsReloadOnly(int argc, char** argv)
{
    return argc == 2 && EqualsIgnoringCase(argv[1], "-rel");
}

int ReloadOnly(const std::string& gnupgDirectory)
{
    if (ReloadGpgAgent(gnupgDirectory)) {
        ShowBox(kTitle, kTextReloadSucceeded, MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    ShowBox(kTitle, kTextReloadFailed, MB_OK | MB_ICONERROR);
    return -1;
}

// Everything after the instance guard; the caller releases the mutex on every end.
int Run(int argc, char** argv)
{
    std::string modulePath;
    GetModulePath(modulePath);
    std::string programDirectory = ProgramDirectory(modulePath);

    bool portable = PathExists(FormatText("%s\\PortableSylpheed.exe", {programDirectory}));
    if (portable && !PathExists(FormatText("%s\\Sylpheed\\sylpheed.exe", {programDirectory}))) {
        ShowBox(kTitle, kTextPortableSylpheedBroken, MB_OK | MB_ICONWARNING);
        return -1;
    }
    if (portable && !PathExists(FormatText("%s\\Sylpheed\\gpgsm.exe", {programDirectory}))) {
        ShowBox(kTitle, kTextPortableGnuPGMissing, MB_OK | MB_ICONWARNING);
        return -1;
    }

    bool reloadOnly = IsReloadOnly(argc, argv);
    if (!reloadOnly)
        ShowBox(kTitle, kTextOpening, MB_OK | MB_ICONINFORMATION);

    std::string gnupgDirectory;
    std::string homeDirectory;
    if (portable) {
        gnupgDirectory = FormatText("%s\\Sylpheed", {programDirectory});
        homeDirectory = FormatText("%s\\Sylpheed\\config\\gnupg", {programDirectory});
        if (reloadOnly)
            return ReloadOnly(gnupgDirectory);
    } else {
        if (LocateGnuPG(modulePath, programDirectory, gnupgDirectory) == StageResult::Stopped)
            return -1;
        if (reloadOnly)
            return ReloadOnly(gnupgDirectory);
        if (ReadGnuPGHome(gnupgDirectory, programDirectory, homeDirectory) == StageResult::Stopped)
            return -1;
    }

    TrustEntries entries;
    if (EnsureRootList(programDirectory) == StageResult::Stopped)
        return -1;
    if (ParseRootList(programDirectory, entries) == StageResult::Stopped)
        return -1;
    if (WriteTrustList(homeDirectory, entries) == StageResult::Stopped)
        return -1;
    // gpg-agent reads the new list on reload; the list is saved whatever this gives.
    ReloadGpgAgent(gnupgDirectory);
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    RestrictDllSearch();
    InstanceMutex mutex;
    switch (mutex.Acquire(kMutexName)) {
    case MutexResult::CreateFailed:
        ShowBox(kTitle, kTextMutexFailed, MB_OK | MB_ICONERROR);
        return -1;
    case MutexResult::AlreadyRunning:
        ShowBox(kTitle, kTextAlreadyRunning, MB_OK | MB_ICONWARNING);
        return -1;
    case MutexResult::Owned:
        break;
    }
    int exitCode;
    try {
        exitCode = Run(__argc, __argv);
    } catch (const std::bad_alloc&) {
        exitCode = -1;
    }
    mutex.Release();
    return exitCode;
}
