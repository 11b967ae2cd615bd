// Parses the driver's script file into the start parameters and the answer steps.
#include "script.h"

#include <cstdio>
#include <cstdlib>

namespace {

std::vector<std::string> ReadLines(const char* path, bool& ok) {
    std::vector<std::string> lines;
    FILE* file = std::fopen(path, "rb");
    ok = file != nullptr;
    if (!file) return lines;
    std::string current;
    for (int c; (c = std::fgetc(file)) != EOF;) {
        if (c == '\n') {
            if (!current.empty() && current.back() == '\r') current.pop_back();
            lines.push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(c));
        }
    }
    if (!current.empty()) lines.push_back(current);
    std::fclose(file);
    return lines;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

bool IsKnownAnswer(const std::string& answer) {
    static const char* const kWords[] = {"ok", "cancel", "yes", "no", "abort",
                                         "retry", "ignore", "close"};
    for (const char* word : kWords)
        if (answer == word) return true;
    return StartsWith(answer, "select:") || StartsWith(answer, "choose:");
}

// Reads steps from lines[index] on, up to "end" (nested) or the end of the file (top level).
bool ReadSteps(const std::vector<std::string>& lines, size_t& index, bool nested,
               std::vector<Step>& steps, std::string& error) {
    while (index < lines.size()) {
        const std::string& line = lines[index++];
        if (line.empty()) continue;
        if (line == "end") {
            if (nested) return true;
            error = "\"end\" without \"second\"";
            return false;
        }
        Step step;
        if (line == "second") {
            if (nested) {
                error = "a second start inside a second start";
                return false;
            }
            step.secondStart = true;
            if (!ReadSteps(lines, index, true, step.second, error)) return false;
        } else if (IsKnownAnswer(line)) {
            step.answer = line;
        } else {
            error = "unknown answer: " + line;
            return false;
        }
        steps.push_back(step);
    }
    if (nested) error = "\"second\" without \"end\"";
    return !nested;
}

}  // namespace

bool ReadScript(const char* path, Script& script, std::string& error) {
    bool ok = false;
    std::vector<std::string> lines = ReadLines(path, ok);
    if (!ok) {
        error = std::string("cannot read ") + path;
        return false;
    }
    size_t index = 0;
    for (; index < lines.size(); ++index) {
        const std::string& line = lines[index];
        if (StartsWith(line, "run ")) script.commandLine = line.substr(4);
        else if (StartsWith(line, "dir ")) script.directory = line.substr(4);
        else if (StartsWith(line, "wait ")) script.waitMs = std::strtoul(line.c_str() + 5, nullptr, 10);
        else break;
    }
    if (script.commandLine.empty()) {
        error = "no \"run\" line";
        return false;
    }
    return ReadSteps(lines, index, false, script.steps, error);
}
