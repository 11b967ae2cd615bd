// dornavet's run mode from its arguments, and the rules for the directory texts it
// reads from the registry and composes from them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pathreg/run_mode.h"

namespace {

const char* ModeName(RunMode mode)
{
    switch (mode) {
    case RunMode::Normal:
        return "Normal";
    case RunMode::RemoveRegistration:
        return "RemoveRegistration";
    case RunMode::RemoveLanguage:
        return "RemoveLanguage";
    }
    return "?";
}

struct ModeRow {
    const char* name;
    std::vector<const char*> arguments; // after the program name
    RunMode expected;
};

} // namespace

TEST(RunMode, FromArguments)
{
    const ModeRow rows[] = {
        {"no argument", {}, RunMode::Normal},
        {"-reg", {"-reg"}, RunMode::RemoveRegistration},
        {"-lng", {"-lng"}, RunMode::RemoveLanguage},
        {"upper case", {"-REG"}, RunMode::RemoveRegistration},
        {"mixed case", {"-LnG"}, RunMode::RemoveLanguage},
        {"switch with a further argument", {"-reg", "x"}, RunMode::Normal},
        {"argument before the switch", {"x", "-lng"}, RunMode::Normal},
        {"other word", {"-rel"}, RunMode::Normal},
        {"slash form", {"/reg"}, RunMode::Normal},
        {"switch with a trailing blank", {"-reg "}, RunMode::Normal},
        {"longer word", {"-register"}, RunMode::Normal},
        {"empty argument", {""}, RunMode::Normal},
    };
    for (const ModeRow& row : rows) {
        std::vector<const char*> argv{"dornavet.exe"};
        argv.insert(argv.end(), row.arguments.begin(), row.arguments.end());
        RunMode got = ReadRunMode(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(row.expected, got) << row.name << ": expected " << ModeName(row.expected) << ", got "
                                     << ModeName(got);
    }
}

TEST(RunMode, NoArgumentVectorIsNormal)
{
    EXPECT_EQ(RunMode::Normal, ReadRunMode(0, nullptr));
}

namespace {

struct TextRow {
    const char* name;
    std::string input;
    std::string expected;
};

void ExpectRows(const std::vector<TextRow>& rows, std::string (*rule)(std::string_view))
{
    for (const TextRow& row : rows) {
        std::string got = rule(row.input);
        EXPECT_EQ(row.expected, got) << row.name << " (input of " << row.input.size() << " bytes)";
    }
}

} // namespace

TEST(RunMode, DirectoryFromRegistry)
{
    const std::string long258(258, 'a');
    const std::vector<TextRow> rows = {
        {"plain", "C:\\GnuPG\\bin", "C:\\GnuPG\\bin"},
        {"one trailing backslash removed", "C:\\GnuPG\\bin\\", "C:\\GnuPG\\bin"},
        {"only one of two", "C:\\GnuPG\\\\", "C:\\GnuPG\\"},
        {"drive root kept", "C:\\", "C:\\"},
        {"empty", "", ""},
        // 0x95 0x5C is one character (表): its second byte is no backslash.
        {"double-byte ending in 0x5C", "C:\\\x95\x5C", "C:\\\x95\x5C"},
        {"backslash after 0x5C character", "C:\\\x95\x5C\\", "C:\\\x95\x5C"},
        {"259 bytes fit", "C:" + std::string(257, 'a'), "C:" + std::string(257, 'a')},
        {"260 bytes do not fit", "C:" + long258, ""},
        {"259 bytes after its backslash", "C:" + std::string(257, 'a') + "\\", "C:" + std::string(257, 'a')},
        {"1,024 bytes", std::string(1024, 'b'), ""},
    };
    ExpectRows(rows, DirectoryFromRegistry);
}

TEST(RunMode, BinFolderOf)
{
    const std::vector<TextRow> rows = {
        {"plain", "C:\\GnuPG", "C:\\GnuPG\\bin"},
        {"double-byte ending in 0x5C", "C:\\\x95\x5C", "C:\\\x95\x5C\\bin"},
        {"fits with 259 bytes", std::string(255, 'a'), std::string(255, 'a') + "\\bin"},
        {"260 bytes do not fit", std::string(256, 'a'), ""},
    };
    ExpectRows(rows, BinFolderOf);
}

TEST(RunMode, CatalogueNameListKeepsDotsAndEndsWithTwoNuls)
{
    const std::string twoNuls(2, '\0');
    const std::vector<TextRow> rows = {
        {"plain", "C:\\GnuPG\\bin", "C:\\GnuPG\\bin\\..\\share\\locale\\ja" + twoNuls},
        {"drive", "C:", "C:\\..\\share\\locale\\ja" + twoNuls},
        {"double-byte ending in 0x5C", "C:\\\x95\x5C", "C:\\\x95\x5C\\..\\share\\locale\\ja" + twoNuls},
    };
    ExpectRows(rows, CatalogueNameList);
}
