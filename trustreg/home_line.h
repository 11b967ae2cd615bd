// Reads GnuPG's home directory from the output of `gpgsm --version`.
#pragma once

#include <string>
#include <string_view>

// The home directory of the first line that begins with "Home:" (case as written):
// slashes turned into backslashes, trimmed, one trailing backslash removed unless
// it is a drive root. Empty when there is no such line, when it holds nothing, or
// when the directory would not fit a path field (it is never cut).
std::string ReadHomeDirectory(std::string_view output);
