// gpgstub: stands in for gpgsm.exe where the output must be shaped byte by byte: stdout and
// stderr written in turn, control bytes, megabytes. Logs its start as argslog does, plus the
// window flags it was given, and replays "<own path>.plan".
//
// Plan lines (CR LF or LF): "out TEXT" / "err TEXT" write TEXT and CR LF to stdout / stderr;
// "fill N" writes whole filler lines, N bytes or a little more, to stdout; "exit N" sets
// the exit code. In TEXT, \xHH is one byte, \t a tab and \\ a backslash; every other
// byte passes unchanged.
#include <windows.h>

#include "../start_log.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Unescape(const std::string& text) {
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            bytes += text[i];
        } else if (text[i + 1] == 't') {
            bytes += '\t';
            ++i;
        } else if (text[i + 1] == '\\') {
            bytes += '\\';
            ++i;
        } else if (text[i + 1] == 'x' && i + 3 < text.size()) {
            bytes += static_cast<char>(std::strtoul(text.substr(i + 2, 2).c_str(), nullptr, 16));
            i += 3;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

// Each write goes straight to the handle, so the order of stdout and stderr writes is
// the order in which they reach a shared file.
void Write(DWORD which, const std::string& bytes) {
    HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    for (size_t done = 0; done < bytes.size();) {
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr) ||
            written == 0)
            return;
        done += written;
    }
}

// Whole filler lines, at least `count` bytes, so that what follows starts a line.
void Fill(unsigned long count) {
    const std::string line = "gpgsm: filler line of the stand-in, written to make the output long\r\n";
    std::string block;
    while (block.size() + line.size() <= 65536) block += line;
    unsigned long written = 0;
    for (; written + block.size() <= count; written += static_cast<unsigned long>(block.size()))
        Write(STD_OUTPUT_HANDLE, block);
    for (; written < count; written += static_cast<unsigned long>(line.size())) Write(STD_OUTPUT_HANDLE, line);
}

}  // namespace

int main() {
    const std::string self = OwnPath();
    AppendStartLog(self + ".log");
    std::string plan;
    ReadWhole(self + ".plan", plan);
    int code = 0;
    size_t start = 0;
    while (start < plan.size()) {
        size_t end = plan.find('\n', start);
        if (end == std::string::npos) end = plan.size();
        std::string line = plan.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t blank = line.find(' ');
        const std::string verb = line.substr(0, blank);
        const std::string rest = blank == std::string::npos ? "" : line.substr(blank + 1);
        if (verb == "out") Write(STD_OUTPUT_HANDLE, Unescape(rest) + "\r\n");
        else if (verb == "err") Write(STD_ERROR_HANDLE, Unescape(rest) + "\r\n");
        else if (verb == "fill") Fill(std::strtoul(rest.c_str(), nullptr, 10));
        else if (verb == "exit") code = std::atoi(rest.c_str());
    }
    return code;
}
