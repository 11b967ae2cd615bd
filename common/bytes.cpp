// Byte rules both programs share: CP932 characters, path fields, trim and line lists.
#include "bytes.h"

#include <cstring>

bool IsLeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Offset of the last character of the text (the start of its lead byte when it is
// double-byte), or text.size() for an empty text.
static size_t LastCharacterOffset(std::string_view text)
{
    size_t last = text.size();
    for (size_t i = 0; i < text.size(); ++i) {
        last = i;
        if (IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size())
            ++i;
    }
    return last;
}

bool EndsWithBackslash(std::string_view text)
{
    size_t last = LastCharacterOffset(text);
    return last < text.size() && last == text.size() - 1 && text[last] == '\\';
}

static bool IsDriveRoot(std::string_view text)
{
    return text.size() == 3 && text[1] == ':' && text[2] == '\\';
}

void RemoveTrailingBackslash(std::string& text)
{
    if (EndsWithBackslash(text) && !IsDriveRoot(text))
        text.pop_back();
}

void StripTrailingBackslash(std::string& text)
{
    if (EndsWithBackslash(text))
        text.pop_back();
}

// Offset just after the last backslash or colon that is a character of its own,
// or 0 when there is none.
static size_t AfterLastSeparator(std::string_view path)
{
    size_t after = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(path[i]);
        if (IsLeadByte(byte) && i + 1 < path.size()) {
            ++i;
            continue;
        }
        if (byte == '\\' || byte == ':')
            after = i + 1;
    }
    return after;
}

std::string ProgramDirectory(std::string_view modulePath)
{
    std::string directory(modulePath.substr(0, AfterLastSeparator(modulePath)));
    // The folder keeps its backslash only where dropping it would change its meaning:
    // after a colon (C:\) or after another backslash (\\ of a UNC stub).
    if (EndsWithBackslash(directory)) {
        std::string_view before(directory.data(), directory.size() - 1);
        bool keep = !before.empty() && (before.back() == ':' || EndsWithBackslash(before));
        if (!keep)
            directory.pop_back();
    }
    return directory;
}

std::string ChangeExtension(std::string_view path, std::string_view newExtension)
{
    size_t nameStart = AfterLastSeparator(path);
    size_t dot = path.rfind('.');
    std::string result(path);
    if (dot != std::string_view::npos && dot >= nameStart)
        result.resize(dot);
    result.append(newExtension);
    return result;
}

std::string_view Trim(std::string_view text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 0x20)
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 0x20)
        --end;
    return text.substr(begin, end - begin);
}

LineReader::LineReader(const char* data, size_t size) : next(data), end(data + size)
{
    // A NUL byte ends the text: nothing after it is read.
    if (const void* nul = size ? std::memchr(data, 0, size) : nullptr)
        end = static_cast<const char*>(nul);
}

bool LineReader::Next(std::string_view& line)
{
    if (next >= end)
        return false;
    const char* p = next;
    while (p < end && *p != '\r' && *p != '\n')
        ++p;
    line = std::string_view(next, static_cast<size_t>(p - next));
    if (p < end && *p == '\r') {
        ++p;
        if (p < end && *p == '\n')
            ++p;
    } else if (p < end) {
        ++p;
    }
    next = p;
    return true;
}

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    LineReader reader(text);
    std::string_view line;
    while (reader.Next(line))
        lines.emplace_back(line);
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    size_t size = 0;
    for (const std::string& line : lines)
        size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

static char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
static char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string ToUpperAscii(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = UpperAscii(c);
    return result;
}

std::string ToLowerAscii(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = LowerAscii(c);
    return result;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

std::string_view CutToField(std::string_view text, size_t fieldSize)
{
    if (fieldSize == 0)
        return text.substr(0, 0);
    size_t limit = fieldSize - 1;
    if (text.size() <= limit)
        return text;
    size_t cut = 0;
    for (size_t i = 0; i < limit;) {
        size_t width = IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
        if (i + width > limit)
            break;
        i += width;
        cut = i;
    }
    return text.substr(0, cut);
}

std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> arguments)
{
    std::string text;
    const std::string_view* argument = arguments.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's' &&
            argument != arguments.end()) {
            text.append(*argument++);
            ++i;
        } else {
            text.push_back(pattern[i]);
        }
    }
    return text;
}
