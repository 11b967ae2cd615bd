// Byte rules both programs share: CP932 characters, path fields, trim and line lists.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// A path field holds at most 259 bytes and a NUL (MAX_PATH).
constexpr size_t kPathFieldSize = 260;
// Paths, command lines and message texts are composed into buffers of this size.
constexpr size_t kWorkBufferSize = 1024;

// True for a CP932 lead byte: the byte after it belongs to the same character.
bool IsLeadByte(unsigned char byte);

// True when the text's last character, judged in CP932, is a backslash.
bool EndsWithBackslash(std::string_view text);

// Removes one trailing backslash unless the text is a drive root such as C:\ (the
// rule of PathRemoveBackslashA, with characters judged in CP932).
void RemoveTrailingBackslash(std::string& text);

// Removes one trailing backslash, a drive root included (C:\ becomes C:), as the
// folder chooser does with the folder the shell hands it.
void StripTrailingBackslash(std::string& text);

// The folder of the executable whose full path is given: cut after the last
// separator, then without its final backslash unless that leaves C: or a UNC stub.
std::string ProgramDirectory(std::string_view modulePath);

// The path with its extension (the text from the last dot after the last
// separator) replaced by newExtension.
std::string ChangeExtension(std::string_view path, std::string_view newExtension);

// Removes every byte of code 0x20 or less from both ends.
std::string_view Trim(std::string_view text);

// True when the text fits a path field together with its NUL.
inline bool FitsPathField(std::string_view text) { return text.size() < kPathFieldSize; }

// Walks the lines of a byte text: a line ends at CR LF, a lone LF or a lone CR,
// a last line without an end is a line too, and a NUL byte ends the text.
struct LineReader {
    const char* next;
    const char* end;

    LineReader(const char* data, size_t size);
    explicit LineReader(std::string_view text) : LineReader(text.data(), text.size()) {}
    bool Next(std::string_view& line);
};

// A line list loaded from bytes (see LineReader).
std::vector<std::string> SplitLines(std::string_view text);

// Every line followed by CR LF, the last one included: the bytes a line list saves.
std::string JoinLines(const std::vector<std::string>& lines);

// ASCII-only case mapping; every other byte is left alone.
std::string ToUpperAscii(std::string_view text);
std::string ToLowerAscii(std::string_view text);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool StartsWith(std::string_view text, std::string_view prefix);

// The longest start of the text that fits a buffer of fieldSize bytes with its NUL
// and does not end inside a CP932 double-byte character.
std::string_view CutToField(std::string_view text, size_t fieldSize);

// The pattern with each "%s" replaced by the next argument, the way wsprintfA
// composes a message, but never cut and never past a buffer's end.
std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> arguments);
