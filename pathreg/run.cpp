// dornavet's whole run, from the instance mutex to the exit code: judge the existing
// registration, find GnuPG 2.2, register it, then offer the catalogue removal.
#include "run.h"

#include "common/bytes.h"
#include "common/folder_chooser.h"
#include "common/texts.h"
#include "common/win32.h"
#include "pathreg/catalogue.h"
#include "pathreg/registration.h"
#include "pathreg/texts.h"

using namespace dornavet;

namespace {

// What a step leaves the run to do next.
enum class Next {
    GoOn,
    EndWithZero,     // done, or declined by the user
    EndWithMinusOne, // a refusal, a failure, or a cancelled search for GnuPG 2.2
};

int ExitCodeOf(Next next)
{
    return next == Next::EndWithMinusOne ? -1 : 0;
}

// A box whose text names a directory in place of its "%s".
int ShowFormatted(const char* pattern, const std::string& directory, UINT flags)
{
    return ShowBox(kTitle, FormatText(pattern, {directory}), flags);
}

bool HoldsFile(const std::string& directory, const char* name)
{
    return PathExists(FormatText("%s\\%s", {directory, name}));
}

// Both of GnuPG's programs that tell a usable installation.
bool HoldsGnuPG(const std::string& directory)
{
    return HoldsFile(directory, "gpg.exe") && HoldsFile(directory, "gpgsm.exe");
}

// GnuPG 1.x has gpg.exe but no gpgsm.exe; its own registration must never be touched.
bool IsGnuPG1(const std::string& directory)
{
    return HoldsFile(directory, "gpg.exe") && !HoldsFile(directory, "gpgsm.exe");
}

// Deletes the registration; a failure is told here.
bool RemoveRegistration()
{
    if (DeleteRegistration())
        return true;
    ShowBox(kTitle, kTextRemovalFailed, MB_ICONERROR | MB_OK);
    return false;
}

// -reg with a registration: delete it once the user agrees.
Next OfferRemoval(const std::string& registered)
{
    if (ShowFormatted(kTextAskRemoval, registered, MB_ICONWARNING | MB_YESNO) != IDYES)
        return Next::EndWithZero;
    if (!RemoveRegistration())
        return Next::EndWithMinusOne;
    ShowBox(kTitle, kTextRemoved, MB_ICONINFORMATION | MB_OK);
    return Next::EndWithZero;
}

// A normal run over an invalid registration: delete it, then register anew if the
// user wants to go on.
Next OfferRepair(const std::string& registered)
{
    if (ShowFormatted(kTextAskRemoveInvalid, registered, MB_ICONWARNING | MB_YESNO) != IDYES)
        return Next::EndWithZero;
    if (!RemoveRegistration())
        return Next::EndWithMinusOne;
    if (ShowBox(kTitle, kTextRemovedGoOn, MB_ICONINFORMATION | MB_YESNO) != IDYES)
        return Next::EndWithZero;
    return Next::GoOn;
}

// Judges the registration the run started with.
Next CheckRegistration(const std::string& registered, RunMode mode)
{
    if (registered.empty()) {
        if (mode != RunMode::RemoveRegistration)
            return Next::GoOn;
        ShowBox(kTitle, kTextNoRegistration, MB_ICONINFORMATION | MB_OK);
        return Next::EndWithZero;
    }
    // First in every mode, so that -reg never deletes GnuPG 1.x's own registration.
    if (IsGnuPG1(registered)) {
        ShowBox(kTitle, kTextGnuPG1Installed, MB_ICONWARNING | MB_OK);
        return Next::EndWithMinusOne;
    }
    switch (mode) {
    case RunMode::RemoveRegistration:
        return OfferRemoval(registered);
    case RunMode::RemoveLanguage:
        return Next::GoOn;
    case RunMode::Normal:
        break;
    }
    if (HoldsGnuPG(registered)) {
        ShowFormatted(kTextRegistered, registered, MB_ICONINFORMATION | MB_OK);
        return Next::EndWithZero;
    }
    return OfferRepair(registered);
}

// GnuPG 2.2's own registration: its bin subfolder when that holds both programs,
// else the folder itself when it does.
bool FindFromGnuPG22Key(PathField& gnupgDirectory)
{
    std::string installed = ReadInstallDirectory(kGnuPG22Key);
    if (installed.empty())
        return false;
    std::string bin = BinFolderOf(installed);
    if (!bin.empty() && HoldsGnuPG(bin))
        return gnupgDirectory.Assign(bin);
    return HoldsGnuPG(installed) && gnupgDirectory.Assign(installed);
}

// Asks the user for the folder that holds gpgsm.exe (gpg.exe is not required there).
Next AskForGnuPG(PathField& gnupgDirectory)
{
    if (ShowBox(kTitle, kTextGnuPGNotFound, MB_ICONWARNING | MB_OKCANCEL) != IDOK)
        return Next::EndWithMinusOne;
    gnupgDirectory.Assign(std::string());
    if (!ChooseFolder(gnupgDirectory.bytes, kTextChooseGpgsmFolder, kTitle, "gpgsm.exe", nullptr))
        return Next::EndWithMinusOne;
    std::string chosen = gnupgDirectory.Text();
    RemoveTrailingBackslash(chosen);
    gnupgDirectory.Assign(chosen);
    return Next::GoOn;
}

// The GnuPG directory from the registration, GnuPG 2.2's own key or the user.
Next LocateGnuPG(const std::string& registered, PathField& gnupgDirectory)
{
    if (!registered.empty() && HoldsGnuPG(registered) && gnupgDirectory.Assign(registered))
        return Next::GoOn;
    if (FindFromGnuPG22Key(gnupgDirectory))
        return Next::GoOn;
    return AskForGnuPG(gnupgDirectory);
}

// Writes the registration once the user agrees.
Next Register(const PathField& gnupgDirectory)
{
    if (ShowFormatted(kTextAskRegister, gnupgDirectory.Text(), MB_ICONINFORMATION | MB_OKCANCEL) != IDOK)
        return Next::EndWithZero;
    if (!WriteRegistration(gnupgDirectory)) {
        ShowBox(kTitle, kTextRegisterFailed, MB_ICONERROR | MB_OK);
        return Next::EndWithMinusOne;
    }
    ShowBox(kTitle, kTextRegisterDone, MB_ICONINFORMATION | MB_OK);
    return Next::GoOn;
}

// Every step after the instance mutex is owned.
Next RunSteps(RunMode mode)
{
    if (mode == RunMode::Normal)
        ShowBox(kTitle, kTextOpening, MB_ICONINFORMATION | MB_OK);

    std::string registered = ReadInstallDirectory(kRegistrationKey);
    Next next = CheckRegistration(registered, mode);
    if (next != Next::GoOn)
        return next;

    PathField gnupgDirectory;
    next = LocateGnuPG(registered, gnupgDirectory);
    if (next != Next::GoOn)
        return next;

    if (mode == RunMode::Normal) {
        next = Register(gnupgDirectory);
        if (next != Next::GoOn)
            return next;
    }
    RemoveJapaneseCatalogue(gnupgDirectory.Text(), mode);
    return Next::EndWithZero;
}

} // namespace

int RunPathRegistrar(RunMode mode)
{
    InstanceMutex mutex;
    switch (mutex.Acquire(kMutexName)) {
    case MutexResult::CreateFailed:
        ShowBox(kTitle, kTextMutexFailed, MB_ICONERROR | MB_OK);
        return -1;
    case MutexResult::AlreadyRunning:
        ShowBox(kTitle, kTextAlreadyRunning, MB_ICONWARNING | MB_OK);
        return -1;
    case MutexResult::Owned:
        break;
    }
    int exitCode = ExitCodeOf(RunSteps(mode));
    mutex.Release();
    return exitCode;
}
