// Merges trust entries into gpg-agent's trustlist.txt as a managed block at its end.
#include "trust_list.h"

#include "../common/bytes.h"

std::string ClearManagedBlock(std::vector<std::string>& lines)
{
    std::string previousStamp;
    size_t i = 0;
    while (i < lines.size() && !EqualsIgnoringCase(lines[i], kBeginMarker))
        ++i;
    for (; i < lines.size(); ++i) {
        if (StartsWith(lines[i], kUpdatePrefix))
            previousStamp = lines[i].substr(kUpdatePrefix.size());
        bool end = lines[i] == kEndMarker;
        lines[i].clear();
        if (end)
            break;
    }
    return previousStamp;
}

// Every run of two or more line ends becomes exactly three (two empty lines); a
// single line end stays single.
static std::string NormaliseEmptyLines(std::string_view text)
{
    std::string result;
    result.reserve(text.size() + text.size() / 2);
    size_t i = 0;
    while (i < text.size()) {
        size_t run = 0;
        while (i + 2 * run + 1 < text.size() && text[i + 2 * run] == '\r' && text[i + 2 * run + 1] == '\n')
            ++run;
        if (run == 0) {
            result.push_back(text[i++]);
            continue;
        }
        size_t keep = run == 1 ? 1 : 3;
        for (size_t k = 0; k < keep; ++k)
            result.append("\r\n");
        i += 2 * run;
    }
    return result;
}

std::string BuildTrustListText(const std::vector<std::string>& lines, std::string_view updateStamp,
                               const TrustEntries& entries)
{
    std::string joined = JoinLines(lines);
    std::string text = NormaliseEmptyLines(Trim(joined));
    text.reserve(text.size() + entries.trusted.size() + entries.distrusted.size() + 128);
    text.append("\r\n\r\n\r\n").append(kBeginMarker).append("\r\n").append(kUpdatePrefix);
    text.append(updateStamp).append("\r\n");
    text.append(entries.trusted).append(entries.distrusted);
    text.append(kEndMarker).append("\r\n");
    return text;
}
