// What the tests' stand-ins for GnuPG's programs share: their own path, whole-file reads,
// and the log entry of how they were started that the cases compare field by field.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

inline std::string OwnPath() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

inline bool ReadWhole(const std::string& path, std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, got);
    std::fclose(file);
    return true;
}

// How a standard handle looks from inside: none, file, pipe, char, or unknown.
inline const char* HandleKind(DWORD which) {
    HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return "none";
    switch (GetFileType(handle)) {
    case FILE_TYPE_DISK: return "file";
    case FILE_TYPE_PIPE: return "pipe";
    case FILE_TYPE_CHAR: return "char";
    default: return "unknown";
    }
}

// Appends one entry ("field: value" lines, then an empty line): the command line, current
// folder, standard handles, priority class, and the STARTUPINFO flags and show state that
// tell whether the window was hidden.
inline void AppendStartLog(const std::string& logPath) {
    char directory[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof directory, directory);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, "priority: 0x%lx\r\nstartflags: 0x%lx\r\nshow: %u\r\n",
                  static_cast<unsigned long>(GetPriorityClass(GetCurrentProcess())),
                  static_cast<unsigned long>(startup.dwFlags), static_cast<unsigned>(startup.wShowWindow));
    std::string entry = std::string("cmdline: ") + GetCommandLineA() + "\r\n" +
                        "cwd: " + directory + "\r\n" +
                        "stdin: " + HandleKind(STD_INPUT_HANDLE) + "\r\n" +
                        "stdout: " + HandleKind(STD_OUTPUT_HANDLE) + "\r\n" +
                        "stderr: " + HandleKind(STD_ERROR_HANDLE) + "\r\n" + numbers + "\r\n";
    HANDLE log = CreateFileA(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(log, entry.data(), static_cast<DWORD>(entry.size()), &written, nullptr);
    CloseHandle(log);
}
