// Finds the folder that holds GnuPG 2.2's gpgsm.exe and remembers it in the .ini file.
#include "stages.h"

#include "../common/bytes.h"
#include "../common/folder_chooser.h"
#include "../common/texts.h"
#include "../common/win32.h"
#include "texts.h"

namespace {

constexpr char kIniSection[] = "OPTION";
constexpr char kIniKey[] = "GPGPath";
constexpr char kGnuPG1Key[] = "SOFTWARE\\GNU\\GnuPG";
constexpr char kGnuPG2Key[] = "SOFTWARE\\GnuPG";
constexpr char kInstallDirectoryValue[] = "Install Directory";
// GetPrivateProfileStringA gives at most this many bytes less one.
constexpr DWORD kIniValueSize = 2048;

// A candidate qualifies when gpgsm.exe is there and the folder fits the GnuPG
// directory's path field: a longer value is refused rather than cut into the name
// of some other folder.
bool Qualifies(const std::string& candidate)
{
    return !candidate.empty() && FitsPathField(candidate) &&
           PathExists(FormatText("%s\\gpgsm.exe", {candidate}));
}

std::string ReadIniValue(const std::string& iniPath)
{
    char value[kIniValueSize] = {};
    GetPrivateProfileStringA(kIniSection, kIniKey, "", value, kIniValueSize, iniPath.c_str());
    // The .ini value only counts up to the 1,024 bytes a candidate may hold.
    std::string candidate(value);
    return candidate.size() < kWorkBufferSize ? candidate : std::string();
}

// A registry source: the value with its trailing backslash removed, or empty.
std::string ReadRegistryCandidate(const char* subKey)
{
    std::string candidate;
    if (!ReadMachineText(subKey, kInstallDirectoryValue, candidate))
        return std::string();
    RemoveTrailingBackslash(candidate);
    return candidate;
}

// GnuPG 2.2 records its top folder; its programs normally lie in the bin subfolder.
std::string GnuPG2Directory()
{
    std::string candidate = ReadRegistryCandidate(kGnuPG2Key);
    if (candidate.empty())
        return std::string();
    std::string bin = FormatText("%s\\bin", {candidate});
    if (Qualifies(bin))
        return bin;
    return Qualifies(candidate) ? candidate : std::string();
}

bool AskForFolder(std::string& gnupgDirectory)
{
    if (ShowBox(kTitle, kTextGnuPGNotFound, MB_OKCANCEL | MB_ICONWARNING) != IDOK)
        return false;
    char folder[kPathFieldSize] = {};
    if (!ChooseFolder(folder, kTextChooseGpgsmFolder, kTitle, "gpgsm.exe", nullptr))
        return false;
    gnupgDirectory = folder;
    RemoveTrailingBackslash(gnupgDirectory);
    return true;
}

void Remember(const std::string& iniPath, const std::string& gnupgDirectory)
{
    WritePrivateProfileStringA(kIniSection, kIniKey, gnupgDirectory.c_str(), iniPath.c_str());
    // All null: flush the system's cached copy of the file to disk now.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, iniPath.c_str());
}

} // namespace

StageResult LocateGnuPG(const std::string& modulePath, const std::string& programDirectory,
                        std::string& gnupgDirectory)
{
    std::string iniPath = ChangeExtension(modulePath, ".ini");
    gnupgDirectory.clear();

    std::string candidate = ReadIniValue(iniPath);
    if (Qualifies(candidate))
        gnupgDirectory = candidate;
    if (gnupgDirectory.empty() && Qualifies(programDirectory))
        gnupgDirectory = programDirectory;
    if (gnupgDirectory.empty()) {
        candidate = ReadRegistryCandidate(kGnuPG1Key);
        if (Qualifies(candidate))
            gnupgDirectory = candidate;
    }
    if (gnupgDirectory.empty())
        gnupgDirectory = GnuPG2Directory();
    if (gnupgDirectory.empty() && !AskForFolder(gnupgDirectory))
        return StageResult::Stopped;

    Remember(iniPath, gnupgDirectory);
    return StageResult::GoOn;
}
