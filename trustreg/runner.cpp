// Starts GnuPG's console programs hidden and waits for them; reads the home directory.
#include "stages.h"

#include "../common/bytes.h"
#include "../common/win32.h"
#include "files.h"
#include "home_line.h"
#include "texts.h"

#include <vector>

namespace {

struct ChildProcess {
    HandleOwner process;
    HandleOwner thread;
};

// CreateProcessA may write into the command line, so it gets a copy of its own.
bool StartHidden(const std::string& commandLine, const std::string& directory, STARTUPINFOA& startup,
                 BOOL inheritHandles, DWORD creationFlags, ChildProcess& child)
{
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, inheritHandles, creationFlags, nullptr,
                        directory.c_str(), &startup, &info))
        return false;
    child.process.handle = info.hProcess;
    child.thread.handle = info.hThread;
    return true;
}

} // namespace

bool RunCaptured(const std::string& commandLine, const std::string& workingDirectory,
                 const std::string& outputPath)
{
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    // The child is still started when the file cannot be made: its output then goes
    // nowhere and the reader finds no file.
    HandleOwner output(CreateFileA(outputPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = nullptr;
    startup.hStdOutput = output.Valid() ? output.handle : nullptr;
    startup.hStdError = startup.hStdOutput;

    ChildProcess child;
    if (!StartHidden(std::string(Trim(commandLine)), workingDirectory, startup, TRUE,
                     BELOW_NORMAL_PRIORITY_CLASS, child))
        return false;
    WaitForSingleObject(child.process.handle, INFINITE);
    return true;
}

bool ReloadGpgAgent(const std::string& gnupgDirectory)
{
    std::string commandLine = FormatText("\"%s\\gpgconf.exe\" --reload gpg-agent", {gnupgDirectory});
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    ChildProcess child;
    if (!StartHidden(commandLine, gnupgDirectory, startup, FALSE, 0, child))
        return false;
    WaitForSingleObject(child.process.handle, INFINITE);
    return true;
}

StageResult ReadGnuPGHome(const std::string& gnupgDirectory, const std::string& programDirectory,
                          std::string& homeDirectory)
{
    std::string commandLine = FormatText("\"%s\\gpgsm.exe\" --version", {gnupgDirectory});
    std::string scratchPath = FormatText("%s\\quelbrin.tmp", {programDirectory});

    // A file left by an interrupted run must not count.
    DeleteFileA(scratchPath.c_str());
    if (!RunCaptured(commandLine, gnupgDirectory, scratchPath)) {
        DeleteFileA(scratchPath.c_str());
        ShowBox(kTitle, kTextVersionRunFailed, MB_OK | MB_ICONERROR);
        return StageResult::Stopped;
    }
    std::string output;
    bool read = ReadWholeFile(scratchPath, output);
    DeleteFileA(scratchPath.c_str());
    if (!read) {
        ShowBox(kTitle, kTextScratchReadFailed, MB_OK | MB_ICONERROR);
        return StageResult::Stopped;
    }
    homeDirectory = ReadHomeDirectory(output);
    if (homeDirectory.empty()) {
        ShowBox(kTitle, kTextHomeFailed, MB_OK | MB_ICONERROR);
        return StageResult::Stopped;
    }
    return StageResult::GoOn;
}
