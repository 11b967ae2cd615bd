// The byte rules both programs share: program directory, the two trailing-backslash
// rules judged in CP932, trim, line lists, extension change, cut and format.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/bytes.h"

using namespace std::string_literals;

namespace {

// CP932 characters whose second byte is 0x5C, the backslash byte.
const std::string kHyo = "\x95\x5C"; // 表
const std::string kSo = "\x83\x5C";  // ソ
// A half-width katakana is a single byte in the lead-byte gap (0xA1-0xDF).
const std::string kHalfWidthA = "\xB1";

struct TextRow {
    const char* name;
    std::string input;
    std::string expected;
};

std::string Printable(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "<%02X>", c);
            out += buffer;
        }
    }
    return out;
}

std::string Printable(const std::vector<std::string>& lines)
{
    std::string out = "{";
    for (const std::string& line : lines)
        out += " \"" + Printable(line) + "\"";
    return out + " }";
}

} // namespace

TEST(ProgramDirectory, CutsAfterTheLastSeparatorCharacter)
{
    const TextRow rows[] = {
        {"folder", "C:\\Tools\\quelbrin.exe", "C:\\Tools"},
        {"deeper folder", "D:\\a\\b c\\quelbrin.exe", "D:\\a\\b c"},
        {"root folder keeps its backslash", "C:\\quelbrin.exe", "C:\\"},
        {"folder ending in a trail-byte backslash", "C:\\" + kHyo + "\\quelbrin.exe", "C:\\" + kHyo},
        {"folder ending in another such character", "E:\\x\\" + kSo + "\\q.exe", "E:\\x\\" + kSo},
        {"trail byte inside the file name is no separator", "C:\\Tools\\" + kHyo + "q.exe", "C:\\Tools"},
        {"trail byte in a root file name is no separator", "C:\\" + kHyo + "q.exe", "C:\\"},
        {"half-width katakana is a single byte", "C:\\" + kHalfWidthA + "\\q.exe", "C:\\" + kHalfWidthA},
        {"UNC share", "\\\\server\\share\\quelbrin.exe", "\\\\server\\share"},
        {"UNC folder", "\\\\server\\share\\dir\\quelbrin.exe", "\\\\server\\share\\dir"},
        {"drive-relative path cut after the colon", "C:quelbrin.exe", "C:"},
        {"backslash after a backslash stays", "C:\\Tools\\\\q.exe", "C:\\Tools\\\\"},
        {"no separator at all", "quelbrin.exe", ""},
    };
    for (const TextRow& row : rows)
        EXPECT_EQ(row.expected, ProgramDirectory(row.input))
            << row.name << ": expected \"" << Printable(row.expected) << "\", got \""
            << Printable(ProgramDirectory(row.input)) << "\"";
}

TEST(RemoveTrailingBackslash, KeepsDriveRootsAndDoubleByteCharacters)
{
    const TextRow rows[] = {
        {"folder", "C:\\Tools\\", "C:\\Tools"},
        {"no backslash", "C:\\Tools", "C:\\Tools"},
        {"only one is removed", "C:\\Tools\\\\", "C:\\Tools\\"},
        {"drive root stays", "C:\\", "C:\\"},
        {"drive without root", "C:", "C:"},
        {"empty", "", ""},
        {"trail byte 0x5C is no backslash", "C:\\" + kHyo, "C:\\" + kHyo},
        {"backslash after such a character", "C:\\" + kHyo + "\\", "C:\\" + kHyo},
        {"two such characters", "C:\\" + kSo + kHyo, "C:\\" + kSo + kHyo},
        {"half-width katakana before a backslash", "C:\\" + kHalfWidthA + "\\", "C:\\" + kHalfWidthA},
        {"UNC share with backslash", "\\\\server\\share\\", "\\\\server\\share"},
    };
    for (const TextRow& row : rows) {
        std::string text = row.input;
        RemoveTrailingBackslash(text);
        EXPECT_EQ(row.expected, text) << row.name << ": expected \"" << Printable(row.expected) << "\", got \""
                                      << Printable(text) << "\"";
    }
}

TEST(StripTrailingBackslash, TurnsADriveRootIntoTheDrive)
{
    const TextRow rows[] = {
        {"folder", "C:\\Tools\\", "C:\\Tools"},
        {"no backslash", "C:\\Tools", "C:\\Tools"},
        {"drive root", "C:\\", "C:"},
        {"empty", "", ""},
        {"trail byte 0x5C is no backslash", "C:\\" + kHyo, "C:\\" + kHyo},
        {"backslash after such a character", "C:\\" + kHyo + "\\", "C:\\" + kHyo},
    };
    for (const TextRow& row : rows) {
        std::string text = row.input;
        StripTrailingBackslash(text);
        EXPECT_EQ(row.expected, text) << row.name << ": expected \"" << Printable(row.expected) << "\", got \""
                                      << Printable(text) << "\"";
    }
}

TEST(Trim, RemovesBytesUpToBlankFromBothEnds)
{
    const TextRow rows[] = {
        {"empty", "", ""},
        {"only whitespace", " \t\r\n", ""},
        {"blanks around", "  a b  ", "a b"},
        {"control bytes around", "\x01\x1F\tx\x0B\x0C"s, "x"},
        {"NUL at the end", "x\0"s, "x"},
        {"0x21 stays", "! ", "!"},
        {"DEL stays", "\x7F ", "\x7F"},
        {"high bytes stay (full-width blank)", " \x81\x40x\x81\x40 ", "\x81\x40x\x81\x40"},
        {"trail byte at the end stays", "x" + kHyo + " ", "x" + kHyo},
    };
    for (const TextRow& row : rows)
        EXPECT_EQ(row.expected, std::string(Trim(row.input)))
            << row.name << ": expected \"" << Printable(row.expected) << "\", got \""
            << Printable(std::string(Trim(row.input))) << "\"";
}

TEST(SplitLines, EndsLinesAtCrLfLfOrCrAndTheTextAtNul)
{
    struct Row {
        const char* name;
        std::string text;
        std::vector<std::string> expected;
    };
    const Row rows[] = {
        {"empty text", "", {}},
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"LF", "a\nb\n", {"a", "b"}},
        {"lone CR", "a\rb\r", {"a", "b"}},
        {"last line without an end", "a\r\nb", {"a", "b"}},
        {"single line without an end", "a", {"a"}},
        {"only a line end", "\r\n", {""}},
        {"empty line between", "a\r\n\r\nb", {"a", "", "b"}},
        {"LF then CR are two ends", "\n\r", {"", ""}},
        {"CR then CR LF are two ends", "\r\r\n", {"", ""}},
        {"mixed ends", "a\nb\rc\r\nd", {"a", "b", "c", "d"}},
        {"NUL ends the text", "a\nb\0c\nd"s, {"a", "b"}},
        {"NUL first", "\0a\nb"s, {}},
        {"NUL between CR and LF", "a\r\0\nb"s, {"a"}},
        {"NUL right after a line end", "a\r\n\0b"s, {"a"}},
        {"blank line is a line", " \r\n", {" "}},
        {"high bytes kept", "\x95\x5C\r\n", {"\x95\x5C"}},
    };
    for (const Row& row : rows) {
        std::vector<std::string> lines = SplitLines(row.text);
        EXPECT_EQ(row.expected, lines) << row.name << ": expected " << Printable(row.expected) << ", got "
                                       << Printable(lines);
    }
}

TEST(JoinLines, EndsEveryLineWithCrLf)
{
    EXPECT_EQ("", JoinLines({}));
    EXPECT_EQ("\r\n", JoinLines({""}));
    EXPECT_EQ("a\r\n\r\nb\r\n", JoinLines({"a", "", "b"}));
    // Saving what was loaded writes the same lines back, with CR LF throughout.
    EXPECT_EQ("a\r\nb\r\nc\r\n", JoinLines(SplitLines("a\nb\rc")));
}

TEST(ChangeExtension, ReplacesOnlyTheFileNamesExtension)
{
    struct Row {
        const char* name;
        std::string path;
        std::string expected;
    };
    const Row rows[] = {
        {"program", "C:\\Tools\\quelbrin.exe", "C:\\Tools\\quelbrin.ini"},
        {"last dot counts", "C:\\Tools\\q.tar.exe", "C:\\Tools\\q.tar.ini"},
        {"no extension", "C:\\Tools\\quelbrin", "C:\\Tools\\quelbrin.ini"},
        {"dot in a folder name only", "C:\\v1.2\\quelbrin", "C:\\v1.2\\quelbrin.ini"},
        {"dot after a drive colon", "C:q.exe", "C:q.ini"},
        {"folder ending in a trail-byte backslash", "C:\\" + kHyo + ".d\\q", "C:\\" + kHyo + ".d\\q.ini"},
        {"trail byte before the dot", "C:\\" + kHyo + ".exe", "C:\\" + kHyo + ".ini"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.expected, ChangeExtension(row.path, ".ini"))
            << row.name << ": expected \"" << Printable(row.expected) << "\", got \""
            << Printable(ChangeExtension(row.path, ".ini")) << "\"";
}

TEST(CutToField, NeverSplitsADoubleByteCharacter)
{
    struct Row {
        const char* name;
        std::string text;
        size_t fieldSize;
        std::string expected;
    };
    const Row rows[] = {
        {"fits", "abc", 4, "abc"},
        {"one byte too long", "abcd", 4, "abc"},
        {"double-byte character across the limit", "ab" + kHyo, 4, "ab"},
        {"double-byte character just fits", "a" + kHyo, 4, "a" + kHyo},
        {"half-width katakana is one byte", "ab" + kHalfWidthA + "c", 4, "ab" + kHalfWidthA},
        {"field of one byte holds only the NUL", "abc", 1, ""},
        {"no field", "abc", 0, ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.expected, std::string(CutToField(row.text, row.fieldSize)))
            << row.name << ": expected \"" << Printable(row.expected) << "\", got \""
            << Printable(std::string(CutToField(row.text, row.fieldSize))) << "\"";
}

TEST(FormatText, FillsEachPercentSInTurn)
{
    EXPECT_EQ("a=X, b=Y", FormatText("a=%s, b=%s", {"X", "Y"}));
    // An argument that itself holds %s is not expanded again.
    EXPECT_EQ("[%s] [Y]", FormatText("[%s] [%s]", {"%s", "Y"}));
    // A trail byte 0x5C in an argument and in the pattern is carried over as is.
    EXPECT_EQ(kHyo + "=C:\\" + kHyo, FormatText(kHyo + "=%s", {"C:\\" + kHyo}));
    // Text around a lone percent stays.
    EXPECT_EQ("100% C:", FormatText("100% %s", {"C:"}));
}
