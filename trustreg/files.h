// Whole-file reads and safe replacing writes for quelbrin's text files.
#pragma once

#include <cstdint>
#include <string>

// Reads the whole file as bytes. False when it cannot be opened or read, or is too
// large to hold in memory.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// Replaces the file's content with `bytes` so that the old content stays whole on
// any failure: the bytes go to `path` + ".tmp" beside it, are flushed, and only then
// take the file's place. No temporary file is left behind on failure. A read-only
// file is not replaced.
bool ReplaceFileContent(const std::string& path, const std::string& bytes);

// The file's last-write time in local time as an MS-DOS date and time, or
// kNoTimeStamp for a missing file, a folder, or a time MS-DOS cannot hold.
int64_t FileTimeStamp(const std::string& path);
