// Reads GnuPG's home directory from the output of `gpgsm --version`.
#include "home_line.h"

#include "../common/bytes.h"

std::string ReadHomeDirectory(std::string_view output)
{
    constexpr std::string_view kHomePrefix = "Home:";
    LineReader reader(output);
    std::string_view line;
    while (reader.Next(line)) {
        if (!StartsWith(line, kHomePrefix))
            continue;
        // 0x2F is never the second byte of a CP932 character, so a byte-wise
        // replacement cannot break one.
        std::string rest(line.substr(kHomePrefix.size()));
        for (char& c : rest)
            if (c == '/')
                c = '\\';
        std::string home(Trim(rest));
        RemoveTrailingBackslash(home);
        return FitsPathField(home) ? home : std::string();
    }
    return std::string();
}
