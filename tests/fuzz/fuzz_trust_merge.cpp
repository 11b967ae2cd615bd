// libFuzzer target: a root list, a trust list and gpgsm's output go through the
// parser, the merge and the home line; properties that must hold are checked.
//
// Input: up to three parts separated by a line "=====": the root list, the trust
// list and the output of `gpgsm --version`. Parts that are missing repeat the
// first one, so any input exercises every stage.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/bytes.h"
#include "trustreg/home_line.h"
#include "trustreg/root_list.h"
#include "trustreg/substring_index.h"
#include "trustreg/trust_list.h"

namespace {

constexpr std::string_view kSeparator = "\n=====\n";
constexpr std::string_view kEntrySuffix = " S relax";

[[noreturn]] void Fail(const char* property, std::string_view detail = {})
{
    std::fprintf(stderr, "property violated: %s\n", property);
    if (!detail.empty())
        std::fprintf(stderr, "detail: %.*s\n", static_cast<int>(detail.size()), detail.data());
    std::abort();
}

void Check(bool ok, const char* property, std::string_view detail = {})
{
    if (!ok)
        Fail(property, detail);
}

// The parser's rules with the duplicate test as a plain search of the gathered
// text: the answers of the substring index must not differ from it.
TrustEntries ModelGather(std::string_view rootList)
{
    TrustEntries entries;
    std::string fingerprint;
    int pending = 0;
    for (const std::string& line : SplitLines(rootList)) {
        if (line.empty()) {
            if (!fingerprint.empty() && pending == 1 && entries.trusted.find(fingerprint) == std::string::npos)
                entries.trusted += fingerprint + " S relax\r\n";
            if (!fingerprint.empty() && pending == 2 && entries.distrusted.find(fingerprint) == std::string::npos)
                entries.distrusted += "!" + fingerprint + " S relax\r\n";
            fingerprint.clear();
            pending = 0;
            continue;
        }
        std::string upper = ToUpperAscii(line);
        if (upper.find("EMAIL_PROTECTION") != std::string::npos) {
            if (upper.find("TRUSTED_DELEGATOR") != std::string::npos)
                pending = 1;
            else if (upper.find("NOT_TRUSTED") != std::string::npos)
                pending = 2;
        }
        if (StartsWith(ToLowerAscii(line), "# fingerprint (sha1):"))
            fingerprint = std::string(Trim(std::string_view(line).substr(21)));
    }
    return entries;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to)
{
    std::string out;
    size_t start = 0;
    for (size_t at; (at = text.find(from, start)) != std::string_view::npos; start = at + from.size())
        out.append(text.substr(start, at - start)).append(to);
    out.append(text.substr(start));
    return out;
}

// The merge as its rules read: the old block emptied line by line from the first
// BEGIN marker (any case) to the first exact END marker, then the joined text
// trimmed and its empty lines normalised by literal string replacements.
std::string ModelMerge(std::vector<std::string> lines, std::string_view stamp, const TrustEntries& entries,
                       std::string& previous)
{
    previous.clear();
    size_t i = 0;
    while (i < lines.size() && !EqualsIgnoringCase(lines[i], kBeginMarker))
        ++i;
    for (; i < lines.size(); ++i) {
        if (StartsWith(lines[i], kUpdatePrefix))
            previous = lines[i].substr(kUpdatePrefix.size());
        bool end = lines[i] == kEndMarker;
        lines[i].clear();
        if (end)
            break;
    }
    std::string joined;
    for (const std::string& line : lines)
        joined += line + "\r\n";
    std::string text = ReplaceAll(Trim(joined), "\r\n\r\n", "\r\n\r\n\r\n");
    while (text.find("\r\n\r\n\r\n\r\n") != std::string::npos)
        text = ReplaceAll(text, "\r\n\r\n\r\n\r\n", "\r\n\r\n\r\n");
    return text + "\r\n\r\n\r\n" + std::string(kBeginMarker) + "\r\n" + std::string(kUpdatePrefix) +
           std::string(stamp) + "\r\n" + entries.trusted + entries.distrusted + std::string(kEndMarker) + "\r\n";
}

// Every entry line: the optional "!", a fingerprint with no blank or control
// byte at either end, " S relax" and CR LF.
void CheckEntryText(const std::string& text, bool distrusted)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        Check(end != std::string::npos, "entry text ends with CR LF", text);
        std::string_view line(text.data() + start, end - start);
        Check(line.find_first_of("\r\n") == std::string_view::npos, "entry line holds no line end", line);
        Check(line.size() > kEntrySuffix.size() && line.substr(line.size() - kEntrySuffix.size()) == kEntrySuffix,
              "entry line ends with \" S relax\"", line);
        std::string_view fingerprint = line.substr(0, line.size() - kEntrySuffix.size());
        if (distrusted) {
            Check(!fingerprint.empty() && fingerprint[0] == '!', "distrusted entry begins with !", line);
            fingerprint.remove_prefix(1);
        }
        Check(!fingerprint.empty() && Trim(fingerprint).size() == fingerprint.size(),
              "fingerprint is not empty and trimmed", line);
        start = end + 2;
    }
}

void CheckMerge(std::string_view trustList, const TrustEntries& entries)
{
    const std::string stamp = "2024/03/15 12:34:56";
    std::vector<std::string> lines = SplitLines(trustList);
    for (const std::string& line : lines)
        Check(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos,
              "a loaded line holds no CR, LF or NUL", line);
    Check(SplitLines(JoinLines(lines)) == lines, "saving and loading the lines gives them back");

    std::string modelPrevious;
    const std::string modelText = ModelMerge(lines, stamp, entries, modelPrevious);

    const size_t lineCount = lines.size();
    std::string previous = ClearManagedBlock(lines);
    Check(lines.size() == lineCount, "clearing the block keeps the number of lines");
    Check(previous.find_first_of("\r\n") == std::string::npos, "the previous stamp is one line", previous);

    std::string text = BuildTrustListText(lines, stamp, entries);
    Check(previous == modelPrevious, "the previous stamp as the rules give it", previous);
    Check(text == modelText, "the new text as the rules give it", text);
    const std::string block = std::string(kBeginMarker) + "\r\n" + std::string(kUpdatePrefix) + stamp + "\r\n" +
                              entries.trusted + entries.distrusted + std::string(kEndMarker) + "\r\n";
    const std::string tail = "\r\n\r\n\r\n" + block;
    Check(text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0,
          "the text ends with two empty lines and the new block", text);

    // The kept part: whole CR LF line ends, no blank or control byte at either
    // end, and never more than two empty lines in a row.
    std::string_view kept(text.data(), text.size() - tail.size());
    Check(Trim(kept).size() == kept.size(), "the kept text is trimmed", kept);
    Check(kept.find("\r\n\r\n\r\n\r\n") == std::string_view::npos, "at most two empty lines in a row", kept);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r')
            Check(i + 1 < text.size() && text[i + 1] == '\n', "every CR is followed by LF", text);
        if (text[i] == '\n')
            Check(i > 0 && text[i - 1] == '\r', "every LF follows a CR", text);
    }
    // A group of empty lines is exactly two: CR LF CR LF never stands alone.
    for (size_t at = kept.find("\r\n\r\n"); at != std::string_view::npos; at = kept.find("\r\n\r\n", at + 6))
        Check(kept.compare(at, 6, "\r\n\r\n\r\n") == 0, "a group of empty lines is two lines", kept);

    // Saving splits the text into lines and writes each with CR LF: the same bytes.
    Check(JoinLines(SplitLines(text)) == text, "the saved file holds exactly the new text");

    // Merging the result again, when its new block is its first, replaces exactly
    // that block: the same bytes apart from the stamp.
    std::vector<std::string> again = SplitLines(text);
    int beginLines = 0;
    for (const std::string& line : again)
        beginLines += EqualsIgnoringCase(line, kBeginMarker) ? 1 : 0;
    if (beginLines != 1)
        return;
    std::string againStamp = ClearManagedBlock(again);
    // An entry line that itself begins with "# UPDATE: " counts as an update line.
    bool entryLooksLikeUpdate = false;
    for (const std::string& line : SplitLines(entries.trusted + entries.distrusted))
        entryLooksLikeUpdate = entryLooksLikeUpdate || StartsWith(line, kUpdatePrefix);
    if (!entryLooksLikeUpdate)
        Check(againStamp == stamp, "re-merging finds the stamp just written", againStamp);
    const std::string otherStamp = "2025/01/02 3:04:05";
    std::string second = BuildTrustListText(again, otherStamp, entries);
    std::string expected = text;
    const std::string oldLine = "\r\n" + std::string(kUpdatePrefix) + stamp + "\r\n";
    size_t at = expected.rfind(oldLine);
    Check(at != std::string::npos, "the update line is in the text");
    expected.replace(at, oldLine.size(), "\r\n" + std::string(kUpdatePrefix) + otherStamp + "\r\n");
    Check(second == expected, "re-merging gives the same bytes apart from the stamp", second);
}

// The substring index driven directly, line by line. A line's first byte picks
// what its other bytes do: modulo 4, 0 appends them, 1 looks them up (in both,
// '|' stands for LF and '~' for CR), and otherwise the whole line is looked up
// and, when absent, appended with CR LF, as the parser does with a fingerprint.
// The limits and the tag width come from the input's size, so that across inputs
// the window sets collide, fill up and give way to the automaton at every point.
void CheckSubstringIndex(std::string_view script)
{
    SubstringIndex::Settings settings;
    const uint32_t tagMasks[] = {0, 1, 0xFF, 0xFFFFFFFFu};
    settings.tagMask = tagMasks[script.size() % 4];
    settings.maxLengths = 1 + script.size() / 4 % 5;
    settings.windowsPerTextByte = script.size() / 20 % 2 ? 1 : 1000;
    SubstringIndex index(settings);
    std::string gathered;
    for (const std::string& line : SplitLines(script)) {
        const int op = line.empty() ? 2 : static_cast<unsigned char>(line[0]) % 4;
        std::string rest = line.empty() ? std::string() : line.substr(1);
        for (char& c : rest)
            c = c == '|' ? '\n' : c == '~' ? '\r' : c;
        if (op == 0) {
            index.Append(rest);
            gathered += rest;
            continue;
        }
        const std::string& query = op == 1 ? rest : line;
        bool present = gathered.find(query) != std::string::npos;
        Check(index.Contains(query) == present, "the index answers as a plain search", query);
        if (op != 1 && !present) {
            std::string entry = line + "\r\n";
            index.Append(entry);
            gathered += entry;
        }
    }
}

void CheckHome(std::string_view output)
{
    std::string home = ReadHomeDirectory(output);
    std::string value;
    bool found = false;
    for (const std::string& line : SplitLines(output)) {
        if (StartsWith(line, "Home:")) {
            value = line.substr(5);
            found = true;
            break;
        }
    }
    if (home.empty())
        return;
    Check(found, "a home comes only from a home line", home);
    Check(home.size() < kPathFieldSize, "the home fits a path field", home);
    Check(home.find('/') == std::string::npos, "the home has no forward slash", home);
    // The first home line's value with slashes turned, trimmed, is the home or
    // the home and one backslash; a drive root keeps its backslash. (A blank
    // before that backslash stays: the value is trimmed before it goes.)
    for (char& c : value)
        if (c == '/')
            c = '\\';
    std::string trimmed(Trim(value));
    bool driveRoot = home.size() == 3 && home[1] == ':' && home[2] == '\\';
    if (driveRoot || !EndsWithBackslash(trimmed))
        Check(trimmed == home, "the home is the first home line's value", home);
    else
        Check(trimmed == home + "\\", "the home lost exactly one trailing backslash", home);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view parts[3];
    size_t count = 0;
    while (count < 2) {
        size_t at = input.find(kSeparator);
        if (at == std::string_view::npos)
            break;
        parts[count++] = input.substr(0, at);
        input.remove_prefix(at + kSeparator.size());
    }
    parts[count++] = input;
    for (size_t i = count; i < 3; ++i)
        parts[i] = parts[0];

    TrustEntries entries = GatherTrustEntries(parts[0]);
    TrustEntries model = ModelGather(parts[0]);
    Check(entries.trusted == model.trusted, "trusted entries as by a plain search", entries.trusted);
    Check(entries.distrusted == model.distrusted, "distrusted entries as by a plain search", entries.distrusted);
    CheckEntryText(entries.trusted, false);
    CheckEntryText(entries.distrusted, true);
    CheckSubstringIndex(parts[0]);

    CheckMerge(parts[1], entries);
    CheckHome(parts[2]);
    return 0;
}
