// argslog: stands in for a GnuPG program. Appends how it was started to "<own name>.log"
// beside itself, writes "<own name>.out" / ".err" to stdout / stderr if present, and exits
// with the number in "<own name>.code" (0 without it).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string OwnPath() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

bool ReadWhole(const std::string& path, std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, got);
    std::fclose(file);
    return true;
}

// How a standard handle looks from inside: none, file, pipe, char, or unknown.
const char* HandleKind(DWORD which) {
    HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return "none";
    switch (GetFileType(handle)) {
    case FILE_TYPE_DISK: return "file";
    case FILE_TYPE_PIPE: return "pipe";
    case FILE_TYPE_CHAR: return "char";
    default: return "unknown";
    }
}

void AppendLog(const std::string& logPath) {
    char directory[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof directory, directory);
    char priority[16];
    std::snprintf(priority, sizeof priority, "0x%lx",
                  static_cast<unsigned long>(GetPriorityClass(GetCurrentProcess())));
    std::string entry = std::string("cmdline: ") + GetCommandLineA() + "\r\n" +
                        "cwd: " + directory + "\r\n" +
                        "stdin: " + HandleKind(STD_INPUT_HANDLE) + "\r\n" +
                        "stdout: " + HandleKind(STD_OUTPUT_HANDLE) + "\r\n" +
                        "stderr: " + HandleKind(STD_ERROR_HANDLE) + "\r\n" +
                        "priority: " + priority + "\r\n\r\n";
    HANDLE log = CreateFileA(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(log, entry.data(), static_cast<DWORD>(entry.size()), &written, nullptr);
    CloseHandle(log);
}

void Echo(const std::string& path, DWORD which) {
    std::string bytes;
    HANDLE handle = GetStdHandle(which);
    if (!ReadWhole(path, bytes) || handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

int main() {
    const std::string self = OwnPath();
    AppendLog(self + ".log");
    Echo(self + ".out", STD_OUTPUT_HANDLE);
    Echo(self + ".err", STD_ERROR_HANDLE);
    std::string code;
    return ReadWhole(self + ".code", code) ? std::atoi(code.c_str()) : 0;
}
