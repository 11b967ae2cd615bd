// unixbridge: stands in for a GnuPG program by running the real Linux one. Copied as
// gpgsm.exe or gpgconf.exe beside "<own name>.target" (a Linux path such as /usr/bin/gpgsm),
// it logs its start as argslog does, runs the target with the same arguments and the same
// environment, copies the target's output to its own stdout, and ends with its exit code.
//
// Why not a symbolic link to the Linux program: Wine starts a Linux program named by a
// Windows program's CreateProcessA but hands back no process handle, so the caller cannot
// wait for it and reads the output before it is written. This program is a Windows process
// that the caller can wait for, and it waits for the Linux one itself, through Linux system
// calls made directly (Wine's Windows side has no way to wait for a Linux process).
#include <windows.h>

#include "../start_log.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

#if defined(__x86_64__)
enum : intptr_t { kRead = 0, kClose = 3, kOpen = 2, kDup2 = 33, kFork = 57, kExecve = 59,
                  kExitGroup = 231, kWait4 = 61, kPipe2 = 293, kCloseRange = 436 };

intptr_t LinuxCall(intptr_t number, intptr_t a = 0, intptr_t b = 0, intptr_t c = 0, intptr_t d = 0) {
    intptr_t result;
    register intptr_t r10 asm("r10") = d;
    asm volatile("syscall"
                 : "=a"(result)
                 : "a"(number), "D"(a), "S"(b), "d"(c), "r"(r10)
                 : "rcx", "r11", "memory");
    return result;
}
#elif defined(__i386__)
enum : intptr_t { kRead = 3, kClose = 6, kOpen = 5, kDup2 = 63, kFork = 2, kExecve = 11,
                  kExitGroup = 252, kWait4 = 114, kPipe2 = 331, kCloseRange = 436 };

intptr_t LinuxCall(intptr_t number, intptr_t a = 0, intptr_t b = 0, intptr_t c = 0, intptr_t d = 0) {
    intptr_t result;
    asm volatile("int $0x80" : "=a"(result) : "a"(number), "b"(a), "c"(b), "d"(c), "S"(d) : "memory");
    return result;
}
#else
#error "unixbridge makes Linux system calls for x86 and x86-64 only"
#endif

constexpr intptr_t kCloseOnExec = 0x80000;  // O_CLOEXEC
constexpr intptr_t kInterrupted = -4;       // -EINTR: Wine's own signals can cut a wait short

// Repeats a call that a signal interrupted.
intptr_t LinuxCallAgain(intptr_t number, intptr_t a = 0, intptr_t b = 0, intptr_t c = 0, intptr_t d = 0) {
    intptr_t result;
    while ((result = LinuxCall(number, a, b, c, d)) == kInterrupted) {}
    return result;
}

// This process's Linux environment (the Windows one as Wine passed it on), NUL-separated.
std::string LinuxEnvironment() {
    std::string bytes;
    intptr_t fd = LinuxCall(kOpen, reinterpret_cast<intptr_t>("/proc/self/environ"), kCloseOnExec);
    if (fd < 0) return bytes;
    char buffer[4096];
    for (intptr_t got; (got = LinuxCallAgain(kRead, fd, reinterpret_cast<intptr_t>(buffer), sizeof buffer)) > 0;)
        bytes.append(buffer, static_cast<size_t>(got));
    LinuxCall(kClose, fd);
    return bytes;
}

std::vector<char*> SplitAtNul(std::string& bytes) {
    std::vector<char*> pointers;
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find('\0', start);
        if (end == std::string::npos) {
            bytes.push_back('\0');
            end = bytes.size() - 1;
        }
        pointers.push_back(&bytes[start]);
        start = end + 1;
    }
    pointers.push_back(nullptr);
    return pointers;
}

void Relay(const char* bytes, size_t size) {
    HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    for (size_t done = 0; done < size;) {
        DWORD written = 0;
        if (!WriteFile(handle, bytes + done, static_cast<DWORD>(size - done), &written, nullptr) || written == 0)
            return;
        done += written;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string self = OwnPath();
    AppendStartLog(self + ".log");
    std::string target;
    if (!ReadWhole(self + ".target", target)) return 126;
    while (!target.empty() && static_cast<unsigned char>(target.back()) <= 0x20) target.pop_back();

    // Everything the child needs is prepared before the fork: after it, the child makes
    // system calls only.
    std::vector<std::string> arguments = {target};
    for (int i = 1; i < argc; ++i) arguments.push_back(argv[i]);
    std::vector<char*> childArgv;
    for (std::string& argument : arguments) childArgv.push_back(&argument[0]);
    childArgv.push_back(nullptr);
    std::string environment = LinuxEnvironment();
    std::vector<char*> childEnv = SplitAtNul(environment);

    int pipe[2] = {-1, -1};
    if (LinuxCall(kPipe2, reinterpret_cast<intptr_t>(pipe), kCloseOnExec) < 0) return 126;
    intptr_t pid = LinuxCall(kFork);
    if (pid < 0) return 126;
    if (pid == 0) {
        // stdout and stderr share the pipe, so their order is kept as in a shared file.
        LinuxCall(kDup2, pipe[1], 1);
        LinuxCall(kDup2, pipe[1], 2);
        // Wine's own descriptors (its server socket among them) stay out of the child.
        LinuxCall(kCloseRange, 3, ~0u, 0);
        LinuxCall(kExecve, reinterpret_cast<intptr_t>(childArgv[0]), reinterpret_cast<intptr_t>(childArgv.data()),
                  reinterpret_cast<intptr_t>(childEnv.data()));
        LinuxCall(kExitGroup, 127);
    }
    LinuxCall(kClose, pipe[1]);
    char buffer[65536];
    for (intptr_t got; (got = LinuxCallAgain(kRead, pipe[0], reinterpret_cast<intptr_t>(buffer), sizeof buffer)) > 0;)
        Relay(buffer, static_cast<size_t>(got));
    LinuxCall(kClose, pipe[0]);
    int status = 0;
    if (LinuxCallAgain(kWait4, pid, reinterpret_cast<intptr_t>(&status), 0, 0) != pid) return 126;
    return (status & 0x7f) == 0 ? (status >> 8) & 0xff : 128 + (status & 0x7f);
}
