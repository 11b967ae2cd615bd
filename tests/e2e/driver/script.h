// The driver's script: what to start, where, how long to wait for a box, and the answers.
#pragma once
#include <string>
#include <vector>

// One answer, or a second start of the same command line with answers of its own.
struct Step {
    bool secondStart = false;
    std::string answer;        // ok, cancel, yes, no, abort, retry, ignore, close,
                               // select:<path> or choose:<path> (bytes as given)
    std::vector<Step> second;  // answers for the second instance
};

struct Script {
    std::string commandLine;
    std::string directory;
    unsigned long waitMs = 20000;
    std::vector<Step> steps;
};

// Lines: "run <command line>", "dir <folder>", "wait <ms>", then one answer per line;
// "second" ... "end" encloses the answers of a second instance. CP932 bytes pass unchanged.
bool ReadScript(const char* path, Script& script, std::string& error);
