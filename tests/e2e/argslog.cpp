// argslog: stands in for a GnuPG program. Appends how it was started to "<own name>.log"
// beside itself, writes "<own name>.out" / ".err" to stdout / stderr if present, and exits
// with the number in "<own name>.code" (0 without it). The log entry is start_log.h's.
#include <windows.h>

#include "start_log.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

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
    AppendStartLog(self + ".log");
    Echo(self + ".out", STD_OUTPUT_HANDLE);
    Echo(self + ".err", STD_ERROR_HANDLE);
    std::string code;
    return ReadWhole(self + ".code", code) ? std::atoi(code.c_str()) : 0;
}
